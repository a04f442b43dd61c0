# The test build: the same sources for 64-bit Windows, run under 64-bit Wine on
# hosts whose kernel cannot execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(vel_triple x86_64-w64-mingw32)
set(vel_deps_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
