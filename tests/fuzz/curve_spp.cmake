sonbex_fuzz_target(curve_spp SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/curve_spp.cpp DEPENDS SonbexCurves)
