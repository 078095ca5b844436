cmake_minimum_required(VERSION 3.25)
# Fails when a control or command ID is written as a number outside editor/controlids.h: every ID
# of the views, dialogs and menus is named there. Run as: cmake -DSOURCE_DIR=<project> -P check_control_ids.cmake
#
# An ID is a number 2000..2599, a step code 5038/5040 or a menu command 32700..32799 or
# 57600..57699 in code (comments and strings are skipped).
# Numbers of that size that are not IDs (time-outs, time stamps, years) are let through by the
# line patterns in `not_ids`.
set(folders editor wavr guilib graph tuning tests/editor tests/wavr tests/guilib tests/graph tests/tuning)
set(not_ids "WaitUntil\\(" "setTimestamp|send\\(QEvent::" "tm_year|rlim_cur" "OUTPUT_MAP_")
set(id_literal "(^|[^A-Za-z0-9_.])(2[0-5][0-9][0-9]|5038|5040|327[0-9][0-9]|576[0-9][0-9])([^A-Za-z0-9_.]|$)")

set(failures "")
foreach(folder ${folders})
  file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file ${sources})
    file(RELATIVE_PATH where "${SOURCE_DIR}" "${file}")
    if(where STREQUAL "editor/controlids.h")
      continue()
    endif()
    # One list element per line: semicolons and square brackets would split or join elements.
    file(READ "${file}" text)
    string(REGEX REPLACE "[][;]" " " text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(n 0)
    foreach(line IN LISTS lines)
      math(EXPR n "${n} + 1")
      set(skip FALSE)
      foreach(pattern ${not_ids})
        if(line MATCHES "${pattern}")
          set(skip TRUE)
        endif()
      endforeach()
      if(skip)
        continue()
      endif()
      string(REGEX REPLACE "\"([^\"\\\\]|\\\\.)*\"" "\"\"" code "${line}")
      string(REGEX REPLACE "//.*$" "" code "${code}")
      if(code MATCHES "${id_literal}")
        list(APPEND failures "${where}:${n}: ${CMAKE_MATCH_2}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "Control IDs written as numbers (name them in editor/controlids.h):\n${text}")
endif()
message(STATUS "Control IDs: every one is named")
