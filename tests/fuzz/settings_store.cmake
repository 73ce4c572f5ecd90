sonbex_fuzz_target(settings_store SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/settings_store.cpp DEPENDS Platform)
# The reader lives in Platform: give libFuzzer its coverage too.
target_compile_options(Platform PRIVATE -fsanitize=fuzzer-no-link)
