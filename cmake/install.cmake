# Configuration beside the built program, install rules and the .deb package.
include(GNUInstallDirs)

# zivrat reads zivrat.ini from its own folder: every build places a copy of
# the sample beside the built program (touched only when the sample changed).
add_custom_target(zivrat-ini ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${PROJECT_SOURCE_DIR}/config/zivrat.ini $<TARGET_FILE_DIR:zivrat>/zivrat.ini
  COMMENT "Placing zivrat.ini beside zivrat"
  VERBATIM)

# The configuration goes beside the installed program too, where it is read.
install(TARGETS zivrat zivrat-front RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/config/zivrat.ini DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/man/zivrat.1 ${PROJECT_SOURCE_DIR}/man/zivrat-front.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME zivrat)
set(CPACK_PACKAGE_VENDOR "Zivrat developers")
set(CPACK_PACKAGE_CONTACT "Zivrat developers <zivrat@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "documents C and C++ libraries as linked HTML pages")
set(CPACK_PACKAGE_DESCRIPTION
    "zivrat preprocesses and parses the headers and sources of C and C++ libraries, reads their documentation comments and hand-written .doc companion files, and writes a set of linked HTML pages. zivrat-front runs it over its front-end link.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# Only the C and C++ run-time libraries are needed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
include(CPack)
