sonbex_fuzz_target(settings_store SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/settings_store.cpp DEPENDS Platform)
