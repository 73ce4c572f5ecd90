sonbex_fuzz_target(sweep_table SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/sweep_table.cpp DEPENDS YLib)
