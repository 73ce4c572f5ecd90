sonbex_fuzz_target(driver_files SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/driver_files.cpp DEPENDS SonbexPostProcessing)
