# The reader's sources are compiled into the target itself so that libFuzzer's
# coverage instrumentation reaches them (libraries are built without it).
sonbex_fuzz_target(wave_file SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/wave_file.cpp)
target_sources(fuzz_wave_file PRIVATE
  ${PROJECT_SOURCE_DIR}/src/YWave/YWaveFile.cpp
  ${PROJECT_SOURCE_DIR}/src/YWave/YWaveFormat.cpp
  ${PROJECT_SOURCE_DIR}/src/YWave/YWaveSample.cpp)
target_include_directories(fuzz_wave_file PRIVATE ${PROJECT_SOURCE_DIR}/src)
