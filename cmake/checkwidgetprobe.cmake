# Builds the widget probe against ryncore and expects the compiler to reject its <QWidget> include.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ryncore_widget_probe
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "A widget header compiled against ryncore: the core library reaches Qt Widgets.")
endif()
if(NOT output MATCHES "QWidget: No such file")
  message(FATAL_ERROR "The probe failed for another reason than the missing widget header:\n${output}")
endif()
message(STATUS "ryncore offers no widgets.")
