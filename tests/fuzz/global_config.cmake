sonbex_fuzz_target(global_config SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/global_config.cpp DEPENDS SonbexShell)
