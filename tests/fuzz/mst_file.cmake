sonbex_fuzz_target(mst_file SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/mst_file.cpp DEPENDS SonbexMeasurement)
