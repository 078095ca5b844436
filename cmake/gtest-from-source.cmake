# GoogleTest built from its sources with the project's compiler (MLB8_GTEST_SOURCE_DIR, e.g. the
# folder Debian's package "googletest" installs), under the names find_package(GTest) gives
# (GoogleTest 1.11 and later make them itself).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE) # GoogleTest's own locks use the Win32 ones then
add_subdirectory(${MLB8_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# The project's warnings are not GoogleTest's business.
foreach(lib gtest gtest_main gmock gmock_main)
  target_compile_options(${lib} PRIVATE -w)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
