# Every core module is a static library made of the .cpp files of one folder. None of them
# links Qt, and Qt's include folders are never global, so a Qt header cannot be included here.
set(VEYRA_WARNINGS -Wall -Wextra -Werror)

function(veyra_core_module name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    # A module whose folder holds no sources yet: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  # Headers are included from src/ ("updater/...") or, for the operator tools, from the root
  # ("tools/publish/...").
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VEYRA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY VEYRA_CORE_MODULES ${name})
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
