# Finds libzstd and gives the imported target Zstd::Zstd.
#
# Debian's libzstd-dev on Linux; the Windows cross-build links the static libzstd.a built into
# its prefix by scripts/windows/build-deps.

find_path(ZSTD_INCLUDE_DIR zstd.h)
find_library(ZSTD_LIBRARY NAMES zstd zstd_static libzstd)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Zstd REQUIRED_VARS ZSTD_LIBRARY ZSTD_INCLUDE_DIR)
mark_as_advanced(ZSTD_INCLUDE_DIR ZSTD_LIBRARY)

if(Zstd_FOUND AND NOT TARGET Zstd::Zstd)
  add_library(Zstd::Zstd UNKNOWN IMPORTED)
  set_target_properties(Zstd::Zstd PROPERTIES IMPORTED_LOCATION "${ZSTD_LIBRARY}"
                                              INTERFACE_INCLUDE_DIRECTORIES "${ZSTD_INCLUDE_DIR}")
endif()
