# The same sources give the same bytes wherever they are built: the folders of the sources
# and of the build are left out of the debugging information and of __FILE__, so neither
# they nor the build id computed over them depend on where the build ran.
check_cxx_compiler_flag(-ffile-prefix-map=a=b FACETOOLS_CXX_HAS_FILE_PREFIX_MAP)
if(FACETOOLS_CXX_HAS_FILE_PREFIX_MAP)
  # The build folder is often inside the sources: its map comes last, the one GCC tries
  # first (clang tries the longer prefix first).
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=/src/facetools
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}=/build/facetools)
endif()
