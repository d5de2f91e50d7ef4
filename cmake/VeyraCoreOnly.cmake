include_guard(GLOBAL)

# The core modules and the tools' libraries without the windows. src/CMakeLists.txt declares them
# first and the Qt targets after them; a build without Qt takes only its module declarations, so
# that the list of modules stays in one place.
set(_veyra_src_list ${CMAKE_SOURCE_DIR}/src/CMakeLists.txt)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                           ${_veyra_src_list})
file(READ ${_veyra_src_list} _veyra_src_text)
string(REGEX MATCHALL "\nveyra_(core|tool)_module\\([^)]*\\)" _veyra_module_calls
             "${_veyra_src_text}")
if(NOT _veyra_module_calls)
  message(FATAL_ERROR "VEYRA_CORE_ONLY: no module declarations found in ${_veyra_src_list}")
endif()
foreach(call IN LISTS _veyra_module_calls)
  cmake_language(EVAL CODE "${call}")
endforeach()
