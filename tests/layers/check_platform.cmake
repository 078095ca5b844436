cmake_minimum_required(VERSION 3.25)
# Fails when a source outside the system folders includes a system header: the portable code reaches
# POSIX and Windows only through the seams whose implementations live in comm/posix and comm/win32,
# and the window's through its hot-plug sources in wavr/posix and wavr/win32. A posix folder includes
# no Windows header and a win32 folder no POSIX one.
# Run as: cmake -DSOURCE_DIR=<project> -P check_platform.cmake
#
# Linux-only programs may include POSIX headers: the simulated processor (sim/), the unplug soak
# (soak/), the benchmarks (bench/), the fuzzers (fuzz/) and the tests.
set(posix_headers "unistd\\.h|termios\\.h|fcntl\\.h|sys/.*|poll\\.h|pthread\\.h|libudev\\.h|dirent\\.h|dlfcn\\.h|linux/.*|pwd\\.h|grp\\.h|spawn\\.h|semaphore\\.h|sched\\.h")
set(windows_headers "windows\\.h|winsock2?\\.h|ws2tcpip\\.h|setupapi\\.h|cfgmgr32\\.h|devguid\\.h|initguid\\.h|dbt\\.h|shlobj\\.h|shellapi\\.h|knownfolders\\.h|io\\.h|direct\\.h|process\\.h|winioctl\\.h|ntddser\\.h")
set(linux_only "^(sim|soak|bench|fuzz|tests)/")

set(failures "")
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
foreach(where ${sources})
  if(where MATCHES "^(\\.|build)")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${where}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*<")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>.*$" "\\1" header "${line}")
    string(TOLOWER "${header}" header)
    set(kind "")
    if(header MATCHES "^(${posix_headers})$")
      set(kind posix)
    elseif(header MATCHES "^(${windows_headers})$")
      set(kind windows)
    else()
      continue()
    endif()
    if(where MATCHES "^(comm|wavr)/posix/")
      if(kind STREQUAL "windows")
        list(APPEND failures "${where}: a posix folder includes the Windows header ${header}")
      endif()
    elseif(where MATCHES "^(comm|wavr)/win32/")
      if(kind STREQUAL "posix")
        list(APPEND failures "${where}: a win32 folder includes the POSIX header ${header}")
      endif()
    elseif(where MATCHES "${linux_only}")
      if(kind STREQUAL "windows" AND NOT where MATCHES "^tests/")
        list(APPEND failures "${where}: a Linux-only program includes the Windows header ${header}")
      endif()
    else()
      list(APPEND failures "${where}: includes the system header ${header} outside the posix and win32 folders")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "System headers outside the system folders:\n${text}")
endif()
message(STATUS "Platform: system headers only in comm/posix, comm/win32, wavr/posix and wavr/win32")
