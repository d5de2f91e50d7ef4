# Every core module is a static library made of the .cpp files of one folder. None of them
# links Qt, and Qt's include folders are never global, so a Qt header cannot be included here.
set(VEYRA_WARNINGS -Wall -Wextra -Werror)

# A static library of the .cpp files in `dir`, or a headers-only library when there are none.
# Headers are included from src/ ("updater/...") and from the folders in `includes`.
function(_veyra_folder_library name dir deps includes)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src ${includes})
    target_link_libraries(${name} INTERFACE ${deps})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${includes})
  target_compile_options(${name} PRIVATE ${VEYRA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${deps})
endfunction()

# A part of veyra_core: the folder `dir` (relative to the repository root) and its dependencies.
# veyra_core, the whole Qt-free layer, links every core module wherever it is declared.
function(veyra_core_module name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  _veyra_folder_library(${name} ${dir} "${ARG_DEPS}" "")
  set_property(GLOBAL APPEND PROPERTY VEYRA_CORE_MODULES ${name})
  if(NOT TARGET veyra_core)
    add_library(veyra_core INTERFACE)
  endif()
  target_link_libraries(veyra_core INTERFACE ${name})
endfunction()

# The library of a command-line tool: built on core modules (DEPS) but not gathered into
# veyra_core. INCLUDE_DIRS are exported besides src/, for headers included by a longer path.
function(veyra_tool_module name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;INCLUDE_DIRS" ${ARGN})
  _veyra_folder_library(${name} ${dir} "${ARG_DEPS}" "${ARG_INCLUDE_DIRS}")
endfunction()

# One GoogleTest executable per test folder, registered with CTest test by test.
function(veyra_test_suite name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${VEYRA_WARNINGS})
  target_link_libraries(${name} PRIVATE veyra_test_support ${ARG_DEPS} GTest::gtest GTest::gtest_main
                                        GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
