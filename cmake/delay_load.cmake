# Delay-load import libraries for the system DLLs that are not KnownDLLs on every supported
# Windows. A static import of such a DLL is loaded before any of the installer's code runs,
# from the executable's folder first; delay-loaded, it is loaded on first use, after wWinMain
# has restricted the DLL search, by its full system path (utility/dll_search.cpp).
# Each becomes the target vel::delay::<name>, to link instead of the plain library name.
set(VEL_DELAY_LOADED_DLLS bcrypt crypt32 iphlpapi msimg32 secur32 usp10 wininet)

string(REGEX REPLACE "-gcc(-posix)?$" "" vel_tool_prefix "${CMAKE_C_COMPILER}")
find_program(VEL_NM NAMES ${vel_tool_prefix}-nm REQUIRED)
find_program(VEL_DLLTOOL NAMES ${vel_tool_prefix}-dlltool REQUIRED)
set(vel_delay_dir ${CMAKE_BINARY_DIR}/delay-load)
file(MAKE_DIRECTORY ${vel_delay_dir})

foreach(dll ${VEL_DELAY_LOADED_DLLS})
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(delay_library ${vel_delay_dir}/lib${dll}_delay.a)
  if(NOT EXISTS ${delay_library} OR ${import_library} IS_NEWER_THAN ${delay_library})
    # The exports, as the toolchain's import library names them: "__imp_" + the symbol, and
    # on 32-bit a leading underscore more (stdcall names keep their "@n", cut by --kill-at).
    execute_process(COMMAND ${VEL_NM} ${import_library} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot read ${import_library}")
    endif()
    string(REGEX MATCHALL "__imp_[^\r\n]+" imports "${symbols}")
    list(REMOVE_DUPLICATES imports)
    set(definition "LIBRARY ${dll}.dll\nEXPORTS\n")
    foreach(import ${imports})
      string(REGEX REPLACE "^__imp_" "" name "${import}")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        string(REGEX REPLACE "^_" "" name "${name}")
      endif()
      string(APPEND definition "${name}\n")
    endforeach()
    file(WRITE ${vel_delay_dir}/${dll}.def "${definition}")
    execute_process(COMMAND ${VEL_DLLTOOL} --kill-at --input-def ${vel_delay_dir}/${dll}.def
                            --dllname ${dll}.dll --output-delaylib ${delay_library}
                    WORKING_DIRECTORY ${vel_delay_dir} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot make the delay-load library of ${dll}.dll")
    endif()
  endif()
  add_library(vel::delay::${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(vel::delay::${dll} PROPERTIES IMPORTED_LOCATION ${delay_library})
endforeach()

# libcurl's own system libraries, with the same ones delay-loaded.
set_target_properties(vel::curl PROPERTIES INTERFACE_LINK_LIBRARIES
  "ws2_32;vel::delay::crypt32;vel::delay::secur32;vel::delay::bcrypt;advapi32;normaliz;wldap32")
