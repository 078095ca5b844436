# Takes a picture of one page of the manager's window for the manual:
#   cmake -DMANAGER=... -DCHECKER=... -DPAGE=N -DOUT=FILE -DMOCK=FILE [-DLOAD=PRESET] [-DSYSTEM_VIEW=ON]
#         -P screenshot.cmake
# LOAD: a preset file the manager loads first; SYSTEM_VIEW: the graph's system view switched on.
# The manager runs offscreen on its simulated processor, in English like the manual, whatever the
# machine's locale. A picture that does not show the asked page
# (taken before the load had settled) is taken again; after three tries, or when the manager cannot
# run at all, the skin's mock of the page stands in.
get_filename_component(dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(REMOVE ${OUT})
set(extra)
if(LOAD)
  list(APPEND extra --load ${LOAD})
endif()
if(SYSTEM_VIEW)
  list(APPEND extra --system-view)
endif()
foreach(attempt 1 2 3)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${MANAGER} --simulate --lang en --screenshot ${OUT} --page ${PAGE} ${extra}
    RESULT_VARIABLE rc
    OUTPUT_QUIET ERROR_QUIET
    TIMEOUT 90)
  if(rc EQUAL 0 AND EXISTS ${OUT})
    execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${CHECKER} --check-page ${OUT} ${PAGE}
                    RESULT_VARIABLE shows OUTPUT_QUIET ERROR_QUIET)
    if(shows EQUAL 0)
      return()
    endif()
  endif()
endforeach()
if(EXISTS ${MOCK})
  message(WARNING "No usable picture of page ${PAGE} from the manager; using the skin's mock")
  file(COPY_FILE ${MOCK} ${OUT})
else()
  message(FATAL_ERROR "No picture of page ${PAGE}: the manager did not take one and ${MOCK} is missing")
endif()
