sonbex_bench(waveform SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/WaveformBench.cpp DEPENDS Waveform)
