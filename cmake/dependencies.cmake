# The cross-built libraries that scripts/bootstrap puts under .deps/<arch>.
set(vel_lib ${VEL_DEPS_PREFIX}/lib)
set(vel_inc ${VEL_DEPS_PREFIX}/include)
foreach(lib libcurl.a liblzma7z.a libpugixml.a)
  if(NOT EXISTS ${vel_lib}/${lib})
    message(FATAL_ERROR "${vel_lib}/${lib} is missing: run scripts/bootstrap")
  endif()
endforeach()

add_library(vel::curl STATIC IMPORTED GLOBAL)
set_target_properties(vel::curl PROPERTIES
  IMPORTED_LOCATION ${vel_lib}/libcurl.a
  INTERFACE_INCLUDE_DIRECTORIES ${vel_inc}
  INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;secur32;bcrypt;advapi32;normaliz;wldap32")

add_library(vel::lzma7z STATIC IMPORTED GLOBAL)
set_target_properties(vel::lzma7z PROPERTIES
  IMPORTED_LOCATION ${vel_lib}/liblzma7z.a
  INTERFACE_INCLUDE_DIRECTORIES ${vel_inc}/lzma)

add_library(vel::pugixml STATIC IMPORTED GLOBAL)
set_target_properties(vel::pugixml PROPERTIES
  IMPORTED_LOCATION ${vel_lib}/libpugixml.a
  INTERFACE_INCLUDE_DIRECTORIES ${vel_inc}
  # As bootstrap builds it: its header must agree with the library.
  INTERFACE_COMPILE_DEFINITIONS "PUGIXML_NO_STL;PUGIXML_NO_XPATH")

# Header-only libraries from Debian's packages, linked into the prefix by bootstrap so that
# the host's own headers never reach the cross compiler.
add_library(vel::rapidjson INTERFACE IMPORTED GLOBAL)
set_target_properties(vel::rapidjson PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${vel_inc}/headers)
add_library(vel::stb INTERFACE IMPORTED GLOBAL)
set_target_properties(vel::stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${vel_inc}/headers/stb)
