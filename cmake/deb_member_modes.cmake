# Run by cpack after it has built the package (CPACK_POST_BUILD_SCRIPTS): the ar archive
# that a .deb is gives each of its three members the mode of the file cpack wrote it from,
# which follows the umask of whoever ran cpack. Each member's mode is set to 100644, as
# dpkg-deb writes it, so that the package's bytes do not depend on the umask.
foreach(package ${CPACK_PACKAGE_FILES})
  file(SIZE ${package} size)
  set(header 8)  # after "!<arch>\n"
  while(header LESS size)
    # A member's header is 60 bytes: name 16, time 12, owner 6, group 6, mode 8, size 10,
    # and its data is padded to an even length.
    math(EXPR mode_at "${header} + 40")
    file(READ ${package} length OFFSET ${header} LIMIT 60)
    string(SUBSTRING "${length}" 48 10 length)
    string(STRIP "${length}" length)
    execute_process(
      COMMAND sh -c "printf '100644  ' | dd of='${package}' bs=1 seek=${mode_at} conv=notrunc status=none"
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${package}: the members' modes could not be set")
    endif()
    math(EXPR header "${header} + 60 + ${length} + ${length} % 2")
  endwhile()
endforeach()
