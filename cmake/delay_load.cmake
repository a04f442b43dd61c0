# Delay-loaded system DLLs: those that are not KnownDLLs on every supported Windows. A static
# import of such a DLL is loaded before any of the installer's code runs, from the
# executable's folder first; delay-loaded, it is loaded on the first call of one of its
# functions, by its full system path (utility/delayed_import.cpp).
# Each becomes the target vel::delay::<name>, to link instead of the plain library name. It
# defines every function of the toolchain's import library under the import library's own
# symbols: a code stub and an address slot ("__imp_" + the symbol). The slot first leads to
# a loader that resolves the function, stores its address in the slot and jumps to it, so
# every later call goes straight to the DLL. Each function has sections of its own, so the
# linker's section collection keeps only the functions the installer calls.
# The stubs are generated here rather than by dlltool's --output-delaylib, whose 32-bit
# libraries leave the address slots empty (binutils 2.40), so a first call jumps to 0.
set(VEL_DELAY_LOADED_DLLS bcrypt crypt32 iphlpapi msimg32 oleacc secur32 usp10 wininet wintrust)

string(REGEX REPLACE "-gcc(-posix)?$" "" vel_tool_prefix "${CMAKE_C_COMPILER}")
find_program(VEL_NM NAMES ${vel_tool_prefix}-nm REQUIRED)
set(vel_delay_dir ${CMAKE_BINARY_DIR}/delay-load)
file(MAKE_DIRECTORY ${vel_delay_dir})

# The loader the stubs call; it depends on nothing but kernel32.
add_library(vel_delayed_import STATIC ${CMAKE_SOURCE_DIR}/utility/delayed_import.cpp)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(vel_resolver _vel_delay_resolve)
  set(vel_pointer .long)
else()
  set(vel_resolver vel_delay_resolve)
  set(vel_pointer .quad)
endif()

foreach(dll ${VEL_DELAY_LOADED_DLLS})
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(stubs ${vel_delay_dir}/${dll}_stubs.c)
  set(definition_file ${vel_delay_dir}/${dll}.def)
  execute_process(COMMAND ${VEL_NM} ${import_library} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read ${import_library}")
  endif()
  # The functions: symbols with code ("T"). Data exports have an address slot only, and are
  # not delay-loaded. On 32-bit the symbol has a leading underscore, and stdcall a "@n".
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\r\n]+" all_functions "${symbols}")
  list(REMOVE_DUPLICATES all_functions)
  list(FILTER all_functions INCLUDE REGEX "^[0-9a-fA-F]+ T [A-Za-z_][A-Za-z0-9_@]*$")
  # Interface and class ids that an import library lists as functions (oleacc's
  # IID_IAccessible, say) are data, which libuuid defines.
  list(FILTER all_functions EXCLUDE REGEX " T _?(IID|LIBID|CLSID|DIID|GUID)_")
  # A function that two of the DLLs export (wintrust forwards crypt32's SIP functions) gets
  # its stub from the first in the list only: two under one symbol would not link.
  set(functions "")
  foreach(line ${all_functions})
    string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" symbol "${line}")
    if(NOT DEFINED vel_delay_owner_${symbol})
      set(vel_delay_owner_${symbol} ${dll})
      list(APPEND functions "${line}")
    endif()
  endforeach()
  if(NOT EXISTS ${stubs} OR ${import_library} IS_NEWER_THAN ${stubs}
     OR ${CMAKE_CURRENT_LIST_FILE} IS_NEWER_THAN ${stubs})
    set(definition "LIBRARY ${dll}.dll\nEXPORTS\n")
    set(asm "")
    string(APPEND asm
      ".section .data$vel_delay_${dll},\"w\"\n"
      ".balign 8\n"
      "vel_delay_library: ${vel_pointer} 0, vel_delay_library_name\n"
      ".section .rdata$vel_delay_${dll},\"dr\"\n"
      "vel_delay_library_name: .asciz \"${dll}.dll\"\n"
      ".section .text$vel_delay_${dll},\"xr\"\n"
      "vel_delay_load:\n")
    # The loader keeps the argument registers of the call it stands in for.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND asm
        "push %ecx\npush %edx\npush 4(%eax)\npush %eax\npush $vel_delay_library\n"
        "call ${vel_resolver}\nadd $12, %esp\npop %edx\npop %ecx\njmp *%eax\n")
    else()
      string(APPEND asm
        "push %rcx\npush %rdx\npush %r8\npush %r9\nsub $0x68, %rsp\n"
        "movaps %xmm0, 0x20(%rsp)\nmovaps %xmm1, 0x30(%rsp)\nmovaps %xmm2, 0x40(%rsp)\nmovaps %xmm3, 0x50(%rsp)\n"
        "mov %rax, %rdx\nmov 8(%rax), %r8\nlea vel_delay_library(%rip), %rcx\ncall ${vel_resolver}\n"
        "movaps 0x20(%rsp), %xmm0\nmovaps 0x30(%rsp), %xmm1\nmovaps 0x40(%rsp), %xmm2\nmovaps 0x50(%rsp), %xmm3\n"
        "add $0x68, %rsp\npop %r9\npop %r8\npop %rdx\npop %rcx\njmp *%rax\n")
    endif()
    set(index 0)
    foreach(line ${functions})
      string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" symbol "${line}")
      set(name "${symbol}")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        string(REGEX REPLACE "^_" "" name "${name}")
        string(REGEX REPLACE "@[0-9]+$" "" name "${name}")
      endif()
      string(APPEND definition "${name}\n")
      set(slot "__imp_${symbol}")
      string(APPEND asm
        ".section .text$vel_delay_${dll}_${index},\"xr\"\n"
        ".globl \"${symbol}\"\n")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        string(APPEND asm
          "\"${symbol}\": jmp *\"${slot}\"\n"
          "vel_delay_first_${index}: mov $\"${slot}\", %eax\njmp vel_delay_load\n"
          ".section .data$vel_delay_${dll}_${index},\"w\"\n.balign 4\n.globl \"${slot}\"\n"
          "\"${slot}\": .long vel_delay_first_${index}, vel_delay_name_${index}\n")
      else()
        string(APPEND asm
          "\"${symbol}\": jmp *\"${slot}\"(%rip)\n"
          "vel_delay_first_${index}: lea \"${slot}\"(%rip), %rax\njmp vel_delay_load\n"
          ".section .data$vel_delay_${dll}_${index},\"w\"\n.balign 8\n.globl \"${slot}\"\n"
          "\"${slot}\": .quad vel_delay_first_${index}, vel_delay_name_${index}\n")
      endif()
      string(APPEND asm
        ".section .rdata$vel_delay_${dll}_${index},\"dr\"\n"
        "vel_delay_name_${index}: .asciz \"${name}\"\n")
      math(EXPR index "${index} + 1")
    endforeach()
    if(index EQUAL 0)
      message(FATAL_ERROR "${import_library} names no function")
    endif()
    # Basic asm at file scope: the C compiler assembles it, no assembler language is needed.
    string(REPLACE "\\" "\\\\" asm "${asm}")
    string(REPLACE "\"" "\\\"" asm "${asm}")
    string(REPLACE "\n" "\\n\"\n\"" asm "${asm}")
    file(WRITE ${stubs} "/* Generated by cmake/delay_load.cmake from ${dll}'s import library. */\n__asm__(\"${asm}\");\n")
    file(WRITE ${definition_file} "${definition}")
  endif()
  add_library(vel_delay_${dll} STATIC ${stubs})
  target_link_libraries(vel_delay_${dll} PUBLIC vel_delayed_import)
  add_library(vel::delay::${dll} ALIAS vel_delay_${dll})
endforeach()

# GDI, to link instead of the plain gdi32: the toolchain's gdi32 import library also names
# Uniscribe's functions, which gdi32.dll exports only from Windows 10 on. Searched before
# gdi32, the delay-loaded usp10 and msimg32 provide them.
add_library(vel_gdi32 INTERFACE)
target_link_libraries(vel_gdi32 INTERFACE vel_delay_usp10 vel_delay_msimg32 gdi32)
add_library(vel::gdi32 ALIAS vel_gdi32)

# libcurl's own system libraries, with the same ones delay-loaded.
set_target_properties(vel::curl PROPERTIES INTERFACE_LINK_LIBRARIES
  "ws2_32;vel::delay::crypt32;vel::delay::secur32;vel::delay::bcrypt;advapi32;normaliz;wldap32")
