sonbex_fuzz_target(curve_sxz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curve_sxz.cpp DEPENDS SonbexCurves)
