cmake_minimum_required(VERSION 3.25)
# Fails when a lower layer includes a header of a higher one, or when a layer that must not use Qt
# includes a Qt header. Run as: cmake -DSOURCE_DIR=<project> -P check_layers.cmake
#
# A folder may include its own headers (with or without the folder in the path) and those of the
# folders listed for it. Folders not listed here (the programs, tests, benchmarks) may include anything.
set(allowed_comm "comm")
set(allowed_orvix "comm;orvix")
set(allowed_editor "comm;orvix;editor")
# The simulated processor shares nothing with the manager but the CRC, the filter record and the
# command-line parser.
set(allowed_sim "sim;comm/crc16.h;comm/sfiltercoef.h;comm/cmdline.h")
set(allowed_skin "skin")
set(allowed_guilib "comm;orvix;editor;skin;guilib")
set(allowed_orvix/graph "comm;orvix;editor;skin;guilib;orvix/graph")
set(no_qt "comm;orvix;editor;sim")
set(project_dirs "comm;orvix;editor;sim;skin;guilib;wavr;tools;soak;tests;bench;fuzz;doc")

set(failures "")
foreach(layer comm orvix editor sim skin guilib orvix/graph)
  file(GLOB sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file ${sources})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
      file(RELATIVE_PATH where "${SOURCE_DIR}" "${file}")
      if(header MATCHES "^Q[A-Za-z]*(/|$)" AND layer IN_LIST no_qt)
        list(APPEND failures "${where}: ${layer}/ must not use Qt: ${header}")
        continue()
      endif()
      # Only headers of the project's folders are judged.
      string(REGEX MATCH "^[a-z]+/" top "${header}")
      string(REGEX REPLACE "/$" "" top "${top}")
      if(NOT top OR NOT top IN_LIST project_dirs)
        continue()
      endif()
      set(ok FALSE)
      foreach(allowed ${allowed_${layer}})
        string(LENGTH "${allowed}" n)
        string(SUBSTRING "${header}" 0 ${n} prefix)
        if(prefix STREQUAL allowed)
          # orvix/ does not open the door to orvix/graph/.
          if(NOT (allowed STREQUAL "orvix" AND header MATCHES "^orvix/graph/" AND NOT layer STREQUAL "orvix/graph"))
            set(ok TRUE)
          endif()
        endif()
      endforeach()
      if(NOT ok)
        list(APPEND failures "${where}: ${layer}/ may not include ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "Layering broken:\n${text}")
endif()
message(STATUS "Layers: every include points down")
