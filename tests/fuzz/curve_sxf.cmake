sonbex_fuzz_target(curve_sxf SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curve_sxf.cpp DEPENDS SonbexCurves)
