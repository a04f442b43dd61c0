# The shipped build: 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(vel_triple i686-w64-mingw32)
set(vel_deps_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
