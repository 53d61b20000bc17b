# Installation and packaging: `cmake --install` puts the three programs in bin/, their
# manual pages (compressed) in share/man/man1/, their bash completions in
# share/bash-completion/completions/ and the package's documents in share/doc/facetools/
# under the chosen prefix (/usr/local by default); `cpack` builds a Debian package that
# installs the same files under /usr.
include(GNUInstallDirs)

# Debian wants manual pages and the changelog compressed with `gzip -9n`, which stores no
# file name or time, so the same sources always give the same bytes.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(FACETOOLS_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${FACETOOLS_PACKAGING_DIR})

# facetools_gzip(out_var source name): builds ${FACETOOLS_PACKAGING_DIR}/name.gz from source.
function(facetools_gzip out_var source name)
  set(plain ${FACETOOLS_PACKAGING_DIR}/${name})
  add_custom_command(
    OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${GZIP_EXECUTABLE} -9nf ${plain}
    # gzip gives the copy's time to the .gz; touch it so it is newer than its source.
    COMMAND ${CMAKE_COMMAND} -E touch ${plain}.gz
    DEPENDS ${source}
    VERBATIM)
  set(${out_var} ${plain}.gz PARENT_SCOPE)
endfunction()

# The Debian copyright file, machine-readable, made from LICENSE so the two never differ.
function(facetools_write_copyright output)
  set(license_file ${PROJECT_SOURCE_DIR}/LICENSE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license_file})
  file(READ ${license_file} license)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" holder "${license}")
  set(holder "${CMAKE_MATCH_1}")
  string(FIND "${license}" "Permission is hereby granted" start)
  if(NOT holder OR start EQUAL -1)
    message(FATAL_ERROR "LICENSE: expected the MIT license with a \"Copyright (c)\" line")
  endif()
  # The license text as a field's continuation lines: each line indented by one space,
  # empty lines written as " .".
  string(SUBSTRING "${license}" ${start} -1 text)
  string(STRIP "${text}" text)
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  file(CONFIGURE OUTPUT ${output} CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}

Files: *
Copyright: ${holder}
License: Expat
 ${text}
")
endfunction()

set(facetools_compressed)
foreach(program facemend facepack facesplit)
  facetools_gzip(page ${PROJECT_SOURCE_DIR}/man/${program}.1 ${program}.1)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES completion/${program}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  list(APPEND facetools_compressed ${page})
endforeach()
# The package's version has no Debian revision, so Debian takes it for a native package,
# whose changelog is named changelog.gz.
facetools_gzip(changelog ${PROJECT_SOURCE_DIR}/cmake/debian/changelog changelog)
list(APPEND facetools_compressed ${changelog})
add_custom_target(compressed_docs ALL DEPENDS ${facetools_compressed})
facetools_write_copyright(${FACETOOLS_PACKAGING_DIR}/copyright)

install(TARGETS facemend facepack facesplit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md ${changelog} ${FACETOOLS_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME facetools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Each line of the extended description stays within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "facemend repairs old Japanese TrueType fonts whose Macintosh names hold
Shift-JIS text; facepack joins fonts into a TrueType Collection and facesplit
splits one into its fonts.")
set(CPACK_PACKAGE_CONTACT "facetools maintainers <maintainers@facetools.invalid>")
set(CPACK_STRIP_FILES TRUE)
# Folders in the package are rwxr-xr-x even where the umask of whoever builds it lets the
# group write (002).
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev) works out the libraries the programs need, the
# sanitizer runtimes included in a sanitizer build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
