include_guard(GLOBAL)

# Every core module is a static library made of the .cpp files of one folder. None of them
# links Qt, and Qt's include folders are never global, so a Qt header cannot be included here.
# The check at the end of this file turns a slip into a configure error rather than a core that
# quietly needs a display.
set(VEYRA_WARNINGS -Wall -Wextra -Werror)

# A static library of the .cpp files in `dir`, or a headers-only library when there are none.
# Headers are included from src/ ("updater/...") and from the folders in `includes`.
# Where the two systems differ, a folder keeps one file per facility in posix/ and windows/; only
# the running system's subfolder is built.
if(WIN32)
  set(VEYRA_SYSTEM_FOLDER windows)
else()
  set(VEYRA_SYSTEM_FOLDER posix)
endif()

function(_veyra_folder_library name dir deps includes)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp
       ${CMAKE_SOURCE_DIR}/${dir}/${VEYRA_SYSTEM_FOLDER}/*.cpp)
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
  set_property(TARGET ${name} PROPERTY VEYRA_MODULE_DIR ${dir})
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

# One GoogleTest executable per test folder, registered with CTest test by test. OWN_MAIN: the
# folder brings its own main() (window tests create the QApplication there). ENVIRONMENT: one
# VAR=value set for every test of the suite.
function(veyra_test_suite name dir)
  cmake_parse_arguments(ARG "OWN_MAIN" "ENVIRONMENT" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${VEYRA_WARNINGS})
  set(main GTest::gtest_main)
  if(ARG_OWN_MAIN)
    set(main)
  endif()
  target_link_libraries(${name} PRIVATE veyra_test_support ${ARG_DEPS} GTest::gtest ${main}
                                        GTest::gmock)
  set(properties TIMEOUT 300)
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT ${ARG_ENVIRONMENT})
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Listing the tests would run the program under the emulator at build time: one test each.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ${properties})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  endif()
endfunction()

# --- The Qt guard ---------------------------------------------------------------------------

# A link item that names Qt: an imported Qt target, or a Qt library given by file or -l flag.
set(_VEYRA_QT_LINK_REGEX "(^|[^A-Za-z0-9_])Qt[56]?::|(^|[/ ])libQt[56]|(^|[ ])-lQt[56]")
# An #include of a Qt header: <QString>, <QtCore/QString>, <qstring.h> or "QString".
set(_VEYRA_QT_INCLUDE_REGEX
    "^[ \t]*#[ \t]*include[ \t]*(<Q[A-Za-z0-9_]*(/[^>]*)?>|<q[a-z0-9_]+\\.h>|\"Q[A-Za-z0-9_]*(/[^\"]*)?\")")

# Sets `out` to the link chain from `target` to the first Qt item it reaches ("a -> b ->
# Qt6::Core"), or to "" when there is none. Targets already walked are Qt-free and skipped.
function(_veyra_qt_link_chain target out)
  set(${out} "" PARENT_SCOPE)
  get_property(walked GLOBAL PROPERTY _VEYRA_QT_GUARD_WALKED)
  if(target IN_LIST walked)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY _VEYRA_QT_GUARD_WALKED ${target})

  get_target_property(aliased ${target} ALIASED_TARGET)
  if(aliased)
    set(target ${aliased})
  endif()
  get_target_property(imported ${target} IMPORTED)
  set(items)
  foreach(property INTERFACE_LINK_LIBRARIES LINK_LIBRARIES)
    if(imported AND property STREQUAL "LINK_LIBRARIES")
      continue()  # an imported target is described by its interface only
    endif()
    get_target_property(listed ${target} ${property})
    if(listed)
      list(APPEND items ${listed})
    endif()
  endforeach()

  foreach(item IN LISTS items)
    # Private dependencies of a static library arrive as $<LINK_ONLY:name>.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" name "${item}")
    if(item MATCHES "${_VEYRA_QT_LINK_REGEX}")
      set(${out} "${target} -> ${name}" PARENT_SCOPE)
      return()
    endif()
    if(TARGET "${name}")
      _veyra_qt_link_chain("${name}" chain)
      if(chain)
        set(${out} "${target} -> ${chain}" PARENT_SCOPE)
        return()
      endif()
    endif()
  endforeach()
endfunction()

# Fails the configure step when a core module links Qt, directly or through any dependency, or
# when a source or header in a core module's folder includes a Qt header.
function(veyra_check_core_is_qt_free)
  get_property(modules GLOBAL PROPERTY VEYRA_CORE_MODULES)
  foreach(module IN LISTS modules)
    _veyra_qt_link_chain(${module} chain)
    if(chain)
      get_target_property(dir ${module} VEYRA_MODULE_DIR)
      message(FATAL_ERROR "Core module ${module} (${dir}) links Qt: ${chain}\n"
                          "veyra_core must build without Qt; put Qt code in veyra_ui.")
    endif()
  endforeach()

  foreach(module IN LISTS modules)
    get_target_property(dir ${module} VEYRA_MODULE_DIR)
    file(GLOB_RECURSE files ${CMAKE_SOURCE_DIR}/${dir}/*.h ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    foreach(file IN LISTS files)
      file(STRINGS ${file} lines REGEX "${_VEYRA_QT_INCLUDE_REGEX}")
      if(lines)
        list(GET lines 0 line)
        string(STRIP "${line}" line)
        file(RELATIVE_PATH shown ${CMAKE_SOURCE_DIR} ${file})
        message(FATAL_ERROR "${shown} includes a Qt header (${line}), but it belongs to the core "
                            "module ${module}, which must build without Qt; put Qt code in "
                            "veyra_ui.")
      endif()
    endforeach()
  endforeach()
endfunction()

# Runs once everything has been declared, so dependencies added anywhere are seen.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL veyra_check_core_is_qt_free)
