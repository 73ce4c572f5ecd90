# The transforms against FFTW, double and float (a benchmark peer only).
pkg_check_modules(FFTW3F IMPORTED_TARGET fftw3f)
if(TARGET PkgConfig::FFTW3 AND TARGET PkgConfig::FFTW3F)
  sonbex_bench(fft SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/FftBench.cpp DEPENDS YLib PkgConfig::FFTW3 PkgConfig::FFTW3F)
endif()
