# What the system offers beyond POSIX: each feature the programs use where it exists is
# looked for here and written to the generated header sys/platform_config.h as 0 or 1;
# sys/platform_*.cc hold the one place each is used and the portable way taken without it.
# FACETOOLS_PORTABLE turns every Linux-only feature off, so that the portable ways are
# built and tested on Linux too (the `portable` preset).
include(CheckCXXSourceCompiles)
include(CheckCXXSymbolExists)
include(CheckStructHasMember)

option(FACETOOLS_PORTABLE
       "Use only the portable ways: named temporary files, plain reads and writes, no mallopt, target_clones or extended attributes"
       OFF)

# facetools_feature(var linux_only): var is 1 when var_FOUND, the check's result, found the
# feature and, for a Linux-only feature, the build is not the portable one.
macro(facetools_feature var linux_only)
  if(${var}_FOUND AND NOT (${linux_only} AND FACETOOLS_PORTABLE))
    set(${var} 1)
  else()
    set(${var} 0)
  endif()
endmacro()

# The checks compile as the project does (C++20, no GNU extensions); glibc then hides the
# GNU calls unless asked for them, as the sources ask with _GNU_SOURCE where they use them.
set(CMAKE_REQUIRED_DEFINITIONS -D_GNU_SOURCE)
check_cxx_symbol_exists(O_PATH fcntl.h FACETOOLS_HAVE_O_PATH_FOUND)
check_cxx_symbol_exists(O_TMPFILE fcntl.h FACETOOLS_HAVE_O_TMPFILE_FOUND)
check_cxx_symbol_exists(AT_EMPTY_PATH fcntl.h FACETOOLS_HAVE_LINKAT_EMPTY_PATH_FOUND)
check_cxx_symbol_exists(getrandom sys/random.h FACETOOLS_HAVE_GETRANDOM_FOUND)
check_cxx_symbol_exists(getentropy unistd.h FACETOOLS_HAVE_GETENTROPY_FOUND)
if(NOT FACETOOLS_HAVE_GETENTROPY_FOUND)
  # macOS declares it in sys/random.h.
  check_cxx_symbol_exists(getentropy sys/random.h FACETOOLS_HAVE_GETENTROPY_IN_RANDOM_H)
  set(FACETOOLS_HAVE_GETENTROPY_FOUND ${FACETOOLS_HAVE_GETENTROPY_IN_RANDOM_H})
endif()
check_cxx_source_compiles("
#include <malloc.h>
int main() { return mallopt(M_MMAP_THRESHOLD, 1 << 20) + mallopt(M_TRIM_THRESHOLD, 1); }"
  FACETOOLS_HAVE_MALLOPT_FOUND)
check_cxx_source_compiles("
#include <sys/types.h>
#include <unistd.h>
int main() { loff_t from = 0; return static_cast<int>(copy_file_range(0, &from, 1, nullptr, 1, 0)); }"
  FACETOOLS_HAVE_COPY_FILE_RANGE_FOUND)
check_struct_has_member("struct stat" st_mtim sys/stat.h FACETOOLS_HAVE_ST_MTIM_FOUND LANGUAGE CXX)
check_struct_has_member("struct stat" st_mtimespec sys/stat.h FACETOOLS_HAVE_ST_MTIMESPEC_FOUND
                        LANGUAGE CXX)
# target_clones needs the loader's indirect functions (ifunc), which musl and macOS lack;
# the compiler refuses it there.
check_cxx_source_compiles("
[[gnu::target_clones(\"avx2\", \"default\")]] int twice(int x) { return 2 * x; }
int main(int argc, char**) { return twice(argc); }"
  FACETOOLS_HAVE_TARGET_CLONES_FOUND)
# Extended attributes as Linux names them (macOS has the same names with other arguments).
check_cxx_source_compiles("
#include <sys/types.h>
#include <sys/xattr.h>
int main() {
  char value[1];
  return static_cast<int>(llistxattr(\"/\", value, 1) + lgetxattr(\"/\", \"user.a\", value, 1) +
                          fgetxattr(0, \"user.a\", value, 1) + fsetxattr(1, \"user.a\", value, 1, 0));
}"
  FACETOOLS_HAVE_XATTR_FOUND)
check_cxx_symbol_exists(fopencookie stdio.h FACETOOLS_HAVE_FOPENCOOKIE_FOUND)
check_cxx_symbol_exists(funopen stdio.h FACETOOLS_HAVE_FUNOPEN_FOUND)
unset(CMAKE_REQUIRED_DEFINITIONS)
# Every process of Linux sees its descriptors as links in /proc/self/fd.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(FACETOOLS_HAVE_PROC_SELF_FD_FOUND 1)
endif()

facetools_feature(FACETOOLS_HAVE_O_PATH TRUE)
facetools_feature(FACETOOLS_HAVE_O_TMPFILE TRUE)
facetools_feature(FACETOOLS_HAVE_LINKAT_EMPTY_PATH TRUE)
facetools_feature(FACETOOLS_HAVE_PROC_SELF_FD TRUE)
facetools_feature(FACETOOLS_HAVE_GETRANDOM TRUE)
facetools_feature(FACETOOLS_HAVE_GETENTROPY FALSE)
facetools_feature(FACETOOLS_HAVE_MALLOPT TRUE)
facetools_feature(FACETOOLS_HAVE_XATTR TRUE)
facetools_feature(FACETOOLS_HAVE_COPY_FILE_RANGE TRUE)
facetools_feature(FACETOOLS_HAVE_ST_MTIM FALSE)
facetools_feature(FACETOOLS_HAVE_ST_MTIMESPEC FALSE)
facetools_feature(FACETOOLS_HAVE_TARGET_CLONES TRUE)
facetools_feature(FACETOOLS_HAVE_FOPENCOOKIE FALSE)  # glibc and musl, for fuzz/ only
facetools_feature(FACETOOLS_HAVE_FUNOPEN FALSE)
# The portable build takes the stat times every system has, in whole seconds.
if(FACETOOLS_PORTABLE)
  set(FACETOOLS_HAVE_ST_MTIM 0)
  set(FACETOOLS_HAVE_ST_MTIMESPEC 0)
endif()

set(FACETOOLS_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/platform_config.h.in
               ${FACETOOLS_GENERATED_DIR}/sys/platform_config.h @ONLY)
