sonbex_fuzz_target(curve_sxp SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curve_sxp.cpp DEPENDS SonbexCurves)
