# The analysis hot paths; the dual-channel transfer also against the same
# computation on FFTW where it is installed.
if(TARGET PkgConfig::FFTW3)
  sonbex_bench(analysis SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/AnalysisBench.cpp DEPENDS YLib PkgConfig::FFTW3)
  target_compile_definitions(bench_analysis PRIVATE SONBEX_BENCH_FFTW=1)
else()
  sonbex_bench(analysis SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/AnalysisBench.cpp DEPENDS YLib)
endif()
