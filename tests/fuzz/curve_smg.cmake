sonbex_fuzz_target(curve_smg SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curve_smg.cpp DEPENDS SonbexCurves)
