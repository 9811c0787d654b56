# What `cpack` puts into ryn_<version>_amd64.deb (scripts/package): the program in a folder of its own,
# /usr/lib/ryn, with the Simplified Chinese language file beside it where the main window looks for
# language files, a link /usr/bin/ryn, the desktop entry and icon, the provisioning command with the
# schema, manual pages, and the copyright file and changelog Debian asks for.

install(TARGETS ryn RUNTIME DESTINATION lib/ryn)
# `strip` leaves the compiler's .comment and the .note section, which a Debian package does without.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/ryn/ryn\" COMMAND_ERROR_IS_FATAL ANY)
endif()")
install(FILES lang/cn.lng DESTINATION lib/ryn)
set(RYN_PACKAGING ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${RYN_PACKAGING})
file(CREATE_LINK ../lib/ryn/ryn ${RYN_PACKAGING}/ryn SYMBOLIC)
install(FILES ${RYN_PACKAGING}/ryn DESTINATION bin)
install(FILES packaging/ryn.desktop DESTINATION share/applications)
install(FILES packaging/icons/ryn-48.png DESTINATION share/icons/hicolor/48x48/apps RENAME ryn.png)
install(FILES packaging/icons/ryn-256.png DESTINATION share/icons/hicolor/256x256/apps RENAME ryn.png)
install(FILES packaging/icons/ryn.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES db/schema.sql db/indexes.sql db/history.sql DESTINATION share/ryn)
install(PROGRAMS scripts/provision DESTINATION share/ryn)
install(FILES scripts/lib/credentials.sh scripts/lib/settings.sh DESTINATION share/ryn/lib)
file(CREATE_LINK ../share/ryn/provision ${RYN_PACKAGING}/ryn-provision SYMBOLIC)
install(FILES ${RYN_PACKAGING}/ryn-provision DESTINATION bin)
install(FILES packaging/copyright DESTINATION share/doc/ryn)

# Manual pages and the changelog, with the project's version, compressed as Debian's tools do.
foreach(page ryn.1 ryn-provision.1 changelog.in)
  string(REGEX REPLACE "\\.in$" "" name ${page})
  configure_file(packaging/${page} ${RYN_PACKAGING}/${name} @ONLY)
  execute_process(COMMAND gzip -9nf ${RYN_PACKAGING}/${name} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${RYN_PACKAGING}/ryn.1.gz ${RYN_PACKAGING}/ryn-provision.1.gz DESTINATION share/man/man1)
install(FILES ${RYN_PACKAGING}/changelog.gz DESTINATION share/doc/ryn)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ryn)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "back office of Korvel's online make-up lessons")
# The synopsis is the summary above; these lines follow it (at most 80 characters each).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Staff keep the students, the classes (point packages), the lesson videos,
point top-ups and deductions, the viewing log, staff accounts and the company
data, on a MariaDB database; videos and the watermark logo go to the video
server by FTP.
.
ryn-provision sets up the database server for the program.")
set(CPACK_PACKAGE_CONTACT "Korvel back office <backoffice@korvel.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the linker cannot see: the Qt MySQL driver (a plugin), the font the windows ask for, and the
# client that ryn-provision runs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-mysql, fonts-arphic-uming, mariadb-client")
include(CPack)
