# The transforms against FFTW (a benchmark peer only).
if(TARGET PkgConfig::FFTW3)
  sonbex_bench(fft SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FftBench.cpp DEPENDS YLib PkgConfig::FFTW3)
endif()
