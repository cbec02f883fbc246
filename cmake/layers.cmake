# The include rule of the folders, checked on every build: a source whose
# includes run against the layers stops the build with the file, the line and
# the rule it breaks. Libraries depend on the check, so nothing is compiled
# before it passes. The same check is a test (layers.includes).
file(GLOB_RECURSE VANTRA_LAYERED_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/host/*.h ${CMAKE_SOURCE_DIR}/host/*.cpp
  ${CMAKE_SOURCE_DIR}/res/*.h ${CMAKE_SOURCE_DIR}/res/*.cpp
  ${CMAKE_SOURCE_DIR}/suite/*.h ${CMAKE_SOURCE_DIR}/suite/*.cpp
  ${CMAKE_SOURCE_DIR}/lists/*.h ${CMAKE_SOURCE_DIR}/lists/*.cpp
  ${CMAKE_SOURCE_DIR}/audit/*.h ${CMAKE_SOURCE_DIR}/audit/*.cpp
  ${CMAKE_SOURCE_DIR}/appt/*.h ${CMAKE_SOURCE_DIR}/appt/*.cpp
  ${CMAKE_SOURCE_DIR}/stats/*.h ${CMAKE_SOURCE_DIR}/stats/*.cpp
  ${CMAKE_SOURCE_DIR}/goals/*.h ${CMAKE_SOURCE_DIR}/goals/*.cpp
  ${CMAKE_SOURCE_DIR}/shell/*.h ${CMAKE_SOURCE_DIR}/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/cli/*.h ${CMAKE_SOURCE_DIR}/cli/*.cpp)
set(VANTRA_LAYERS_STAMP ${CMAKE_BINARY_DIR}/layers.stamp)
add_custom_command(
  OUTPUT ${VANTRA_LAYERS_STAMP}
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${VANTRA_LAYERS_STAMP}
  DEPENDS ${VANTRA_LAYERED_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake
  COMMENT "Checking that includes run down the layers"
  VERBATIM)
add_custom_target(vantra_layers ALL DEPENDS ${VANTRA_LAYERS_STAMP})
