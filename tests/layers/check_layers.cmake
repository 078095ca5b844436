cmake_minimum_required(VERSION 3.25)
# Fails when a folder includes a header of a folder above it, when a layer that must not use Qt
# includes a Qt header, or when a top-level folder with sources is missing from the table below.
# Run as: cmake -DSOURCE_DIR=<project> -P check_layers.cmake
#
# Every top-level folder is listed with the folders it may include, its own among them. A header is
# judged by the folder its path starts with; headers named without a folder are the folder's own.
# An entry may name a single header ("comm/crc16.h") instead of a whole folder.
#
# Without Qt, lowest first:
#   comm     serial link, protocol, platform stand-ins (window messages, the dialog as data)
#   orvix    the settings model, the parameter store, value laws, filter responses
#   presets  the INI reader, text files, numbers, the preset keys, the reader's report, diff
#   editor   the specified core of the main view
#   tuning   measurements, filter import, equalizer fit, measured sum, system view, alignment
#   sim      the simulated processor: only the CRC, the filter record and the command line
#   tools    mlb8ctl          soak   the unplug soak
# With Qt:
#   skin     the window's art      guilib  the skinned controls
#   graph    the response graph    wavr    the window
# Programs and checks above all: bench, fuzz, doc, tests.
set(core "comm;orvix;presets;editor;tuning")
set(allowed_comm "comm")
set(allowed_orvix "comm;orvix")
set(allowed_presets "comm;orvix;presets")
set(allowed_editor "comm;orvix;presets;editor")
set(allowed_tuning "${core}")
set(allowed_sim "sim;comm/crc16.h;comm/sfiltercoef.h")
set(allowed_tools "${core};sim;tools")
set(allowed_soak "${core};sim;soak")
set(allowed_skin "skin")
set(allowed_guilib "comm;skin;guilib")
set(allowed_graph "${core};skin;guilib;graph")
set(allowed_wavr "${core};sim;skin;guilib;graph;wavr")
set(allowed_bench "${core};sim;tools;soak;skin;guilib;graph;wavr;bench")
set(allowed_fuzz "${core};sim;fuzz")
set(allowed_doc "${core};sim;skin;guilib;graph;wavr;doc")
set(allowed_tests "${core};sim;tools;soak;skin;guilib;graph;wavr;bench;doc;tests")
set(layers comm orvix presets editor tuning sim tools soak skin guilib graph wavr bench fuzz doc tests)
set(no_qt "comm;orvix;presets;editor;tuning;sim;tools;soak;fuzz")

set(failures "")
# Every top-level folder that holds sources must have a row.
file(GLOB tops LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(top ${tops})
  if(IS_DIRECTORY "${SOURCE_DIR}/${top}" AND NOT top MATCHES "^(\\.|build)" AND NOT top IN_LIST layers)
    file(GLOB_RECURSE stray "${SOURCE_DIR}/${top}/*.h" "${SOURCE_DIR}/${top}/*.cpp")
    if(stray)
      list(APPEND failures "${top}/: a folder with sources that has no row in the layer table")
    endif()
  endif()
endforeach()

foreach(layer ${layers})
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file ${sources})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    file(RELATIVE_PATH where "${SOURCE_DIR}" "${file}")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
      if(header MATCHES "^Q[A-Za-z]*(/|$)" AND layer IN_LIST no_qt)
        list(APPEND failures "${where}: ${layer}/ must not use Qt: ${header}")
        continue()
      endif()
      # Only headers of the project's folders are judged.
      string(REGEX MATCH "^[a-z]+/" top "${header}")
      string(REGEX REPLACE "/$" "" top "${top}")
      if(NOT top OR NOT top IN_LIST layers)
        continue()
      endif()
      set(ok FALSE)
      foreach(allowed ${allowed_${layer}})
        if(allowed MATCHES "/")
          if(header STREQUAL allowed)
            set(ok TRUE)
          endif()
        elseif(top STREQUAL allowed)
          set(ok TRUE)
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
