# The program's version information, kept in its own section of the program file (.rynver) in
# the layout that src/platform/versioninfo.h describes. The values come from the project version
# and are written into a generated source that only the program links: the library and the tests
# carry no version block of their own.
set(RYN_FILE_VERSION ${PROJECT_VERSION})
set(RYN_PRODUCT_VERSION ${PROJECT_VERSION})
set(RYN_PRODUCT_NAME "Korvel線上影音教學系統後台管理")
set(RYN_INTERNAL_NAME ryn)

configure_file(${CMAKE_CURRENT_LIST_DIR}/versionblock.cpp.in ${CMAKE_CURRENT_BINARY_DIR}/versionblock.cpp @ONLY)
target_sources(ryn PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/versionblock.cpp)
