# Native curve files and building frequency curve sets.
sonbex_bench(curves SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/CurvesBench.cpp DEPENDS SonbexCurves)
