# Installation in the freedesktop.org places and the Debian package.
#
#   cmake --install build --prefix /usr/local
#   (cd build && cpack -G DEB)

include(GNUInstallDirs)

set(QUENVEL_APP_ID org.quenvel.Quenvel)
set(QUENVEL_RES ${CMAKE_CURRENT_SOURCE_DIR}/resources)

# The manual page carries the version; it is installed compressed, as Debian does.
configure_file(${QUENVEL_RES}/quenvel.1 ${CMAKE_CURRENT_BINARY_DIR}/quenvel.1 @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/quenvel.1.gz
  COMMAND gzip -9 -n -c quenvel.1 > quenvel.1.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quenvel.1
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  VERBATIM)
add_custom_target(quenvel_manpage ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quenvel.1.gz)

install(TARGETS quenvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUENVEL_RES}/${QUENVEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUENVEL_RES}/${QUENVEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUENVEL_RES}/quenvel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quenvel.xml)
install(FILES ${QUENVEL_RES}/icons/quenvel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${QUENVEL_RES}/icons/hicolor/${size}x${size}/apps/quenvel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quenvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quenvel)

# Debian package: quenvel_<version>_<arch>.deb. The library dependencies are
# read from the binary by dpkg-shlibdeps; the Qt platform plugins are loaded at
# run time, so no linker can see that the window needs them.
set(CPACK_PACKAGE_NAME quenvel)
set(CPACK_PACKAGE_VENDOR "The Quenvel developers")
set(QUENVEL_PACKAGE_CONTACT "The Quenvel developers <quenvel@localhost>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${QUENVEL_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for OPL programs of the Psion Siena, Series 3 and Series 5")
set(CPACK_PACKAGE_DESCRIPTION
    "Quenvel edits programs written in OPL, the programming language of the\n"
    "Psion Siena, Series 3 and Series 5 handhelds. It highlights the keywords\n"
    "of the chosen dialect as you type, marks strings and REM comments, flags\n"
    "the commands that the target machine lacks, and opens Series 5 binary\n"
    "source files as text. Command-line modes convert files and check them\n"
    "against a dialect.")
list(JOIN CPACK_PACKAGE_DESCRIPTION "" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGE_INSTALL_DIRECTORY quenvel)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
if(QUENVEL_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
find_program(QUENVEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUENVEL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  # Without dpkg-dev: the libraries a Debian 12 build links against.
  set(deps "libstdc++6 (>= 12)" "libc6 (>= 2.34)" "libgcc-s1")
  if(QUENVEL_GUI)
    list(APPEND deps qt6-qpa-plugins "libqt6widgets6 (>= 6.4)" "libqt6printsupport6 (>= 6.4)"
         "libqt6gui6 (>= 6.4)" "libqt6core6 (>= 6.4)")
  endif()
  list(JOIN deps ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)

# Checks of the installed files and of the package. They build nothing of their
# own and take a few seconds, so the sanitizer build leaves them out.
if(QUENVEL_TESTS AND NOT QUENVEL_SANITIZE)
  add_test(NAME desktop_integration
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/desktop_test.sh
                   ${CMAKE_CURRENT_SOURCE_DIR} $<TARGET_FILE:quenvel> ${CMAKE_CURRENT_BINARY_DIR}/quenvel.1)
  add_test(NAME debian_package
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/package_test.sh
                   ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CPACK_COMMAND} ${CMAKE_CURRENT_SOURCE_DIR})
  set_tests_properties(desktop_integration debian_package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
