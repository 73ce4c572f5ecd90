# Helpers that keep every folder's CMakeLists.txt a few lines long.
#
#   sonbex_library(NAME [QT] [DEPENDS targets...])
#     A library of every .cpp below the current folder (ui/ folders excluded:
#     they are libraries of their own). Without QT the library is Qt-free, and
#     the build fails if it links Qt or one of its sources includes a Qt header.
#     A folder without sources yet gives an interface library.
#
#   sonbex_executable(NAME [QT] [OUTPUT name] [DEPENDS targets...])
#
#   sonbex_test(NAME [LABEL unit|gui|audio] [DEPENDS targets...])
#     One GoogleTest program of every .cpp in the current folder; each test
#     case becomes a CTest test carrying LABEL (default unit).
#
#   sonbex_fuzz_target(NAME SOURCE file [DEPENDS targets...])
#     A libFuzzer program, built only with SONBEX_FUZZ.

set_property(GLOBAL PROPERTY SONBEX_QT_FREE_TARGETS "")

function(_sonbex_sources out dir)
  # Headers are listed too, so AUTOMOC sees a new Q_OBJECT header at once;
  # Qt resource files (.qrc) are compiled in by AUTORCC.
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS RELATIVE "${dir}" "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.qrc")
  # A ui/ folder below this one is a library of its own.
  list(FILTER srcs EXCLUDE REGEX "(^|/)ui/")
  list(TRANSFORM srcs PREPEND "${dir}/")
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

function(sonbex_library name)
  cmake_parse_arguments(A "QT" "" "DEPENDS" ${ARGN})
  _sonbex_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  set(cpp_srcs ${srcs})
  list(FILTER cpp_srcs INCLUDE REGEX "\\.cpp$")
  if(cpp_srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${A_DEPENDS})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${A_DEPENDS})
  endif()
  if(NOT A_QT)
    set_property(GLOBAL APPEND PROPERTY SONBEX_QT_FREE_TARGETS ${name})
    set_property(TARGET ${name} PROPERTY SONBEX_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(cpp_srcs)
      add_dependencies(${name} sonbex_qt_free_sources)
    endif()
  endif()
endfunction()

function(sonbex_executable name)
  cmake_parse_arguments(A "QT" "OUTPUT" "DEPENDS" ${ARGN})
  _sonbex_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${A_DEPENDS})
  if(A_OUTPUT)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ${A_OUTPUT})
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(NOT A_QT)
    set_property(GLOBAL APPEND PROPERTY SONBEX_QT_FREE_TARGETS ${name})
    set_property(TARGET ${name} PROPERTY SONBEX_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    add_dependencies(${name} sonbex_qt_free_sources)
  endif()
endfunction()

function(sonbex_test name)
  cmake_parse_arguments(A "" "LABEL" "DEPENDS" ${ARGN})
  if(NOT A_LABEL)
    set(A_LABEL unit)
  endif()
  if(A_LABEL STREQUAL "gui" AND NOT SONBEX_GUI)
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE ${A_DEPENDS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(test_${name} PRIVATE
    SONBEX_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    SONBEX_SHARED_FIXTURES="${PROJECT_SOURCE_DIR}/../shared/fixtures")
  set(env "QT_QPA_PLATFORM=offscreen")
  # Audio tests run their own sound server: one at a time, with the machine
  # to themselves, so a busy neighbour cannot make the server drop cycles.
  set(serial FALSE)
  if(A_LABEL STREQUAL "audio")
    set(serial TRUE)
  endif()
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${A_LABEL} ENVIRONMENT "${env}" TIMEOUT 300 RUN_SERIAL ${serial})
endfunction()

function(sonbex_fuzz_target name)
  cmake_parse_arguments(A "" "SOURCE" "DEPENDS" ${ARGN})
  add_executable(fuzz_${name} ${A_SOURCE})
  target_link_libraries(fuzz_${name} PRIVATE ${A_DEPENDS})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
endfunction()

# A build step that fails when a source of a Qt-free target includes a Qt
# header, with a message naming the file (the compiler would only say "not found").
add_custom_target(sonbex_qt_free_sources
  COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}/src -P ${PROJECT_SOURCE_DIR}/cmake/CheckQtFreeSources.cmake
  COMMENT "Checking that Qt-free folders include no Qt header"
  VERBATIM)

# Configure-time check: no Qt-free target may link Qt, directly or through
# another target.
function(_sonbex_links_qt target out visited)
  set(${out} "" PARENT_SCOPE)
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  list(FIND ${visited} ${target} seen)
  if(NOT seen EQUAL -1)
    return()
  endif()
  list(APPEND ${visited} ${target})
  set(${visited} ${${visited}} PARENT_SCOPE)
  get_target_property(type ${target} TYPE)
  set(libs "")
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(l ${target} LINK_LIBRARIES)
    if(l)
      list(APPEND libs ${l})
    endif()
  endif()
  get_target_property(il ${target} INTERFACE_LINK_LIBRARIES)
  if(il)
    list(APPEND libs ${il})
  endif()
  foreach(lib IN LISTS libs)
    if(lib MATCHES "^Qt[0-9]*::" OR lib MATCHES "libQt[0-9]")
      set(${out} "${target} -> ${lib}" PARENT_SCOPE)
      return()
    endif()
    if(TARGET ${lib})
      _sonbex_links_qt(${lib} sub ${visited})
      set(${visited} ${${visited}} PARENT_SCOPE)
      if(sub)
        set(${out} "${target} -> ${sub}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
endfunction()

function(sonbex_check_qt_free_targets)
  get_property(targets GLOBAL PROPERTY SONBEX_QT_FREE_TARGETS)
  foreach(t IN LISTS targets)
    set(visited "")
    _sonbex_links_qt(${t} chain visited)
    if(chain)
      message(FATAL_ERROR "Qt-free target links Qt: ${chain}")
    endif()
  endforeach()
endfunction()
