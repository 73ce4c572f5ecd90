sonbex_fuzz_target(archive SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/archive.cpp DEPENDS YLib)
