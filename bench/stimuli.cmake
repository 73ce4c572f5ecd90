# The tone-burst analyses that give the distortion curves.
sonbex_bench(stimuli SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/StimuliBench.cpp DEPENDS Waveform)
