# Cross-building for 64-bit Windows with Debian's mingw-w64 (the -posix thread model, which
# std::thread and std::mutex need), running the results under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=scripts/windows/toolchain.cmake
# The static libcurl, libjpeg and GoogleTest built by scripts/windows/build-deps are looked up
# in VEYRA_WINDOWS_PREFIX (default: the cache folder that script uses).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT VEYRA_WINDOWS_PREFIX)
  if(DEFINED ENV{VEYRA_WINDOWS_PREFIX})
    set(VEYRA_WINDOWS_PREFIX $ENV{VEYRA_WINDOWS_PREFIX})
  else()
    set(VEYRA_WINDOWS_PREFIX $ENV{HOME}/.cache/veyra-windows/prefix)
  endif()
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VEYRA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the compiler's runtime, so that Wine needs no DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(ZLIB_USE_STATIC_LIBS ON)
