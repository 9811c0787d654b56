# What `cpack` puts into ryn_<version>_amd64.deb (scripts/package): the program in a folder of its own,
# /usr/lib/ryn, with the Simplified Chinese language file beside it where the main window looks for
# language files, a link /usr/bin/ryn, the desktop entry and icon, and the schema for provisioning.

install(TARGETS ryn RUNTIME DESTINATION lib/ryn)
install(FILES lang/cn.lng DESTINATION lib/ryn)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ../lib/ryn/ryn ${CMAKE_BINARY_DIR}/packaging/ryn SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ryn DESTINATION bin)
install(FILES packaging/ryn.desktop DESTINATION share/applications)
install(FILES packaging/icons/ryn-48.png DESTINATION share/icons/hicolor/48x48/apps RENAME ryn.png)
install(FILES packaging/icons/ryn-256.png DESTINATION share/icons/hicolor/256x256/apps RENAME ryn.png)
install(FILES packaging/icons/ryn.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES db/schema.sql DESTINATION share/ryn)
if(EXISTS ${PROJECT_SOURCE_DIR}/scripts/provision)
  install(PROGRAMS scripts/provision DESTINATION share/ryn)
  file(CREATE_LINK ../share/ryn/provision ${CMAKE_BINARY_DIR}/packaging/ryn-provision SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/ryn-provision DESTINATION bin)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ryn)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Back office of Korvel's online make-up lessons")
set(CPACK_PACKAGE_DESCRIPTION
    "Staff keep the students, the classes (point packages), the lesson videos, point top-ups and deductions, the viewing log, staff accounts and the company data, on a MariaDB database; videos and the watermark logo go to the video server by FTP.")
set(CPACK_PACKAGE_CONTACT "Korvel back office <backoffice@korvel.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The linker cannot see the Qt MySQL driver (a plugin) nor the font the windows ask for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-mysql, fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mariadb-client")
include(CPack)
