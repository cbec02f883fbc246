# Runs a program with no display at all (DISPLAY, WAYLAND_DISPLAY and
# QT_QPA_PLATFORM unset) and checks its exit status and output.
#   cmake -DPROGRAM=... -DARGS="a|b" -DRC=0 -DOUT=regex -DERR=regex [-DPLATFORM=offscreen] -P expect_run.cmake
string(REPLACE "|" ";" ARGS "${ARGS}")
# With -DPLATFORM=offscreen the program gets that Qt platform instead.
set(platform --unset=QT_QPA_PLATFORM)
if(DEFINED PLATFORM)
  set(platform QT_QPA_PLATFORM=${PLATFORM})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${platform}
          ${PROGRAM} ${ARGS}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT "${rc}" STREQUAL "${RC}")
  message(FATAL_ERROR "exit ${rc}, expected ${RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED OUT AND NOT out MATCHES "${OUT}")
  message(FATAL_ERROR "stdout does not match [${OUT}]:\n${out}")
endif()
if(DEFINED ERR AND NOT err MATCHES "${ERR}")
  message(FATAL_ERROR "stderr does not match [${ERR}]:\n${err}")
endif()
