# SPDX-License-Identifier: GPL-3.0-or-later
# The distribution's hardening for every build that ships (what Debian's dpkg-buildflags gives with
# hardening=+all): a stack protector, fortified library calls, stack-clash and control-flow protection, a
# relocation table made read-only and bound at start, and a position-independent program.
# The checking builds (GW_SANITIZE) go without: the sanitizers check more, and fortified wrappers would hide the
# calls from them. A Debug build keeps all but the fortified calls, which need the optimiser.
option(GW_HARDEN "Build with the distribution's hardening flags (off in sanitized builds)" ON)
# Windows programs get their own defaults from the MinGW linker (ASLR, DEP, high-entropy addresses).
if(NOT GW_HARDEN OR GW_SANITIZE OR WIN32)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Stack-clash and control-flow protection exist only on some machines (-fcf-protection is x86's).
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "GW_HAS${flag}" known)
  check_cxx_compiler_flag(${flag} ${known})
  if(${known})
    add_compile_options(${flag})
  endif()
endforeach()
add_compile_options(-Wformat -Werror=format-security)
# Undefined first: some compilers define a level of their own, and a second definition would only warn.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(LINKER:-z,relro LINKER:-z,now)
