# The hardening Debian builds its packages with (the flags `dpkg-buildflags` gives), on by
# default; a packager whose distribution sets its own flags turns it off. Flags the
# compiler does not know (-fcf-protection off x86, -fstack-clash-protection in old
# compilers) are left out.
include(CheckCXXCompilerFlag)

option(FACETOOLS_HARDENING "Build with the stack protector, _FORTIFY_SOURCE and full RELRO" ON)

if(FACETOOLS_HARDENING)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  # _FORTIFY_SOURCE checks only where the compiler optimizes, and warns elsewhere.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "FACETOOLS_CXX_HAS${flag}" known)
    check_cxx_compiler_flag(${flag} ${known})
    if(${known})
      add_compile_options(${flag})
    endif()
  endforeach()
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
