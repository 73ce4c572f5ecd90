sonbex_fuzz_target(curve_csd SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curve_csd.cpp DEPENDS SonbexCurves)
