# Shared part of the MinGW-w64 toolchain files; the including file sets vel_triple
# and vel_deps_arch (the folder of cross-built libraries under .deps/).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${vel_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${vel_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${vel_triple}-windres)
set(CMAKE_AR ${vel_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${vel_triple}-ranlib CACHE FILEPATH "")

get_filename_component(vel_deps_prefix "${CMAKE_CURRENT_LIST_DIR}/../.deps/${vel_deps_arch}" ABSOLUTE)
set(VEL_DEPS_PREFIX "${vel_deps_prefix}" CACHE PATH "cross-built dependencies")
set(CMAKE_FIND_ROOT_PATH /usr/${vel_triple} ${vel_deps_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
