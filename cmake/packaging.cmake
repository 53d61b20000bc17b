# Installation and packaging: `cmake --install` puts the three programs in bin/ and their
# manual pages in share/man/man1/ under the chosen prefix (/usr/local by default); `cpack`
# builds a Debian package that installs the same files under /usr.
include(GNUInstallDirs)

install(TARGETS facemend facepack facesplit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/facemend.1 man/facepack.1 man/facesplit.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME facetools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "facemend repairs old Japanese TrueType fonts whose Macintosh names hold Shift-JIS text;\
 facepack joins fonts into a TrueType Collection and facesplit splits one into its fonts.")
set(CPACK_PACKAGE_CONTACT "facetools maintainers <maintainers@facetools.invalid>")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev) works out the libraries the programs need, the
# sanitizer runtimes included in a sanitizer build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
