# Installation and packaging: `cmake --install` puts the three programs in bin/, their
# manual pages (compressed) in share/man/man1/, their bash completions in
# share/bash-completion/completions/ and the README in share/doc/facetools/ under the
# chosen prefix (/usr/local by default); `cpack` builds a Debian package that installs the
# same files under /usr, with the Debian copyright file and changelog beside the README.
# The package is reproducible: the same sources give the same bytes wherever and whenever
# it is built (see reproducible.cmake for the programs).
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

# Modes are set here rather than taken from the files, whose modes follow the umask of
# whoever checked them out or built them.
set(facetools_data_mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(facetools_program_mode ${facetools_data_mode} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
install(TARGETS facemend facepack facesplit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        PERMISSIONS ${facetools_program_mode})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} PERMISSIONS ${facetools_data_mode})
# The Debian copyright file and changelog belong to the package only: a plain
# `cmake --install` leaves the component `debian` out, and cpack puts it in.
install(FILES ${changelog} ${FACETOOLS_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR}
        PERMISSIONS ${facetools_data_mode} COMPONENT debian EXCLUDE_FROM_ALL)

# The package's files and control data bear the time of the changelog's last entry.
function(facetools_changelog_time out_var)
  set(changelog ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
  file(STRINGS ${changelog} trailers REGEX "^ -- ")
  list(GET trailers 0 trailer)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  if(NOT trailer MATCHES
     ">  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9]+):([0-9]+):([0-9]+) ([-+])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "cmake/debian/changelog: no date in the last entry's trailer line")
  endif()
  list(FIND months ${CMAKE_MATCH_2} month)
  set(sign ${CMAKE_MATCH_7})
  # The fields as decimal numbers without leading zeros, which math would take for octal.
  foreach(pair day:1 year:3 hour:4 minute:5 second:6 zone_hours:8 zone_minutes:9)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 name)
    list(GET pair 1 number)
    set(${name} ${CMAKE_MATCH_${number}})
  endforeach()
  foreach(name day year hour minute second zone_hours zone_minutes)
    string(REGEX REPLACE "^0+([0-9])" "\\1" ${name} "${${name}}")
  endforeach()
  # Days since 1970-01-01 of a date in the proleptic Gregorian calendar, the year taken
  # to start in March so that the leap day comes last.
  if(month LESS 2)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR m "(${month} + 10) % 12")
  math(EXPR days "365 * ${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + (153 * ${m} + 2) / 5 + ${day} - 1 - 719468")
  math(EXPR time "${days} * 86400 + ${hour} * 3600 + ${minute} * 60 + ${second} - (${sign}1) * (${zone_hours} * 3600 + ${zone_minutes} * 60)")
  set(${out_var} ${time} PARENT_SCOPE)
endfunction()
facetools_changelog_time(FACETOOLS_SOURCE_DATE_EPOCH)
set(CPACK_PROJECT_CONFIG_FILE ${FACETOOLS_PACKAGING_DIR}/cpack_project.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT
"# Read by cpack: a package built from these sources bears the changelog's time, unless
# whoever builds it chose another.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${FACETOOLS_SOURCE_DATE_EPOCH})
endif()
")

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
# One package of every component, the Debian files' included.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev) works out the libraries the programs need, the
# sanitizer runtimes included in a sanitizer build.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_member_modes.cmake)
include(CPack)
