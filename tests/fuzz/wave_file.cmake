sonbex_fuzz_target(wave_file SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/wave_file.cpp DEPENDS YWave)
