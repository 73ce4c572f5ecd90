sonbex_bench(ywave SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ywave.cpp DEPENDS YWave)
