# The Windows build (scripts/windows-build): the program's icon for its version resource, and
# what goes into the folder that the zip and the installer are made of (the DLLs and plugins are
# added by scripts/windows-build, which finds them from what ryn.exe and the plugins import).

find_package(Python3 REQUIRED COMPONENTS Interpreter)
execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/windows/make-ico.py
                        ${CMAKE_BINARY_DIR}/ryn.ico ${PROJECT_SOURCE_DIR}/packaging/icons/ryn-48.png
                        ${PROJECT_SOURCE_DIR}/packaging/icons/ryn-256.png
                COMMAND_ERROR_IS_FATAL ANY)

install(TARGETS ryn RUNTIME DESTINATION .)
install(FILES lang/cn.lng DESTINATION .)
install(DIRECTORY db/ DESTINATION db FILES_MATCHING PATTERN "*.sql")
