# Biquad block filtering, noise and sample-rate conversion.
sonbex_bench(filters SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FilterBench.cpp DEPENDS YLib)
