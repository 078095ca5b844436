# The window's sources compiled for Windows where there is no Qt for Windows: against the Qt headers
# of the machine that builds (Qt's headers choose the system by _WIN32, not by the machine they were
# installed for). The objects are not linked: this proves that skin/, guilib/, graph/ and wavr/ with
# its Windows hot-plug (wavr/win32) compile for Windows with the project's warnings, not that they
# link or run. Used by a Windows build with MLB8_WINDOW_CHECK_QT_HEADERS set (scripts/test-windows.sh
# sets it to the Linux Qt 6 headers).
file(GLOB MLB8_WINDOW_CHECK_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/skin/*.cpp ${CMAKE_SOURCE_DIR}/skin/gen/*.cpp
  ${CMAKE_SOURCE_DIR}/guilib/*.cpp ${CMAKE_SOURCE_DIR}/guilib/sheet/*.cpp
  ${CMAKE_SOURCE_DIR}/graph/*.cpp
  ${CMAKE_SOURCE_DIR}/wavr/*.cpp ${CMAKE_SOURCE_DIR}/wavr/win32/*.cpp)
add_library(mlb8_window_compile_check OBJECT ${MLB8_WINDOW_CHECK_SOURCES})
target_include_directories(mlb8_window_compile_check PRIVATE ${CMAKE_SOURCE_DIR})
# As system headers: Qt's own lines are not judged by the project's warnings.
target_include_directories(mlb8_window_compile_check SYSTEM PRIVATE
  ${MLB8_WINDOW_CHECK_QT_HEADERS} ${MLB8_WINDOW_CHECK_QT_HEADERS}/QtCore
  ${MLB8_WINDOW_CHECK_QT_HEADERS}/QtGui ${MLB8_WINDOW_CHECK_QT_HEADERS}/QtWidgets)
target_compile_definitions(mlb8_window_compile_check PRIVATE MLB8_VERSION="${PROJECT_VERSION}")
# Only whether it compiles counts: no optimisation, no debug information.
target_compile_options(mlb8_window_compile_check PRIVATE -O0 -g0)
