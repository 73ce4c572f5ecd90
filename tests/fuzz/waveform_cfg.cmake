sonbex_fuzz_target(waveform_cfg SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/waveform_cfg.cpp DEPENDS Waveform)
