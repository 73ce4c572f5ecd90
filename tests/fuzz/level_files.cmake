sonbex_fuzz_target(level_files SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/level_files.cpp DEPENDS YWave)
