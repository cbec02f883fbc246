# cmake -DROOT=<source folder> [-DFILES=a;b] -P check_layers.cmake
#
# Checks the one-way include rule of the source folders:
#
#   cli/, suite/launcher/  (programs)   may include anything below them
#   shell/                              tabs, bridge, lists, host, res, suite
#   bridge/                             appt and stats cores, lists, host, res, suite
#   <tab>/ui/                           its own tab, lists[/qt], host[/qt], res, suite
#   <tab>/  (audit appt stats goals)    its own folder, lists, host, res, suite
#   lists/qt/                           lists, host[/qt], res
#   lists/                              host, res
#   suite/                              host, res
#   host/qt/                            host, res
#   host/, res/                         each other
#
# A tab never includes another tab (what one computes for another goes
# through bridge/), and no Qt-free folder (host, res, suite, lists, bridge,
# a tab's core) includes a Qt folder (host/qt, lists/qt, <tab>/ui,
# shell). Only quoted includes that name a project folder are checked.
# Exits with an error listing every offending line.
cmake_minimum_required(VERSION 3.25)
set(tabs audit appt stats goals)

# The layer of a path relative to ROOT ("" for files outside the rule).
function(layer_of path out)
  set(layer "")
  if(path MATCHES "^host/qt/")
    set(layer host/qt)
  elseif(path MATCHES "^(host|res|cli|shell|bridge)/")
    set(layer ${CMAKE_MATCH_1})
  elseif(path MATCHES "^suite/launcher/")
    set(layer launcher)
  elseif(path MATCHES "^suite/")
    set(layer suite)
  elseif(path MATCHES "^lists/qt/")
    set(layer lists/qt)
  elseif(path MATCHES "^lists/")
    set(layer lists)
  elseif(path MATCHES "^(audit|appt|stats|goals)/ui/")
    set(layer ${CMAKE_MATCH_1}/ui)
  elseif(path MATCHES "^(audit|appt|stats|goals)/")
    set(layer ${CMAKE_MATCH_1})
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

function(allowed_for layer out)
  set(base host res)
  if(layer STREQUAL "host" OR layer STREQUAL "res")
    set(a ${base})
  elseif(layer STREQUAL "host/qt")
    set(a ${base} host/qt)
  elseif(layer STREQUAL "suite")
    set(a ${base} suite)
  elseif(layer STREQUAL "lists")
    set(a ${base} lists)
  elseif(layer STREQUAL "lists/qt")
    # suite/ lies beside host/: the tabs' shared windows may read the
    # practice's presets.
    set(a ${base} suite host/qt lists lists/qt)
  elseif(layer MATCHES "^(audit|appt|stats|goals)/ui$")
    set(a ${base} suite host/qt lists lists/qt ${CMAKE_MATCH_1} ${CMAKE_MATCH_1}/ui)
  elseif(layer MATCHES "^(audit|appt|stats|goals)$")
    set(a ${base} suite lists ${CMAKE_MATCH_1})
  elseif(layer STREQUAL "bridge")
    set(a ${base} suite lists appt stats bridge)
  elseif(layer STREQUAL "shell")
    set(a ${base} suite host/qt lists lists/qt shell bridge)
    foreach(t ${tabs})
      list(APPEND a ${t} ${t}/ui)
    endforeach()
  elseif(layer STREQUAL "cli" OR layer STREQUAL "launcher")
    set(a ${base} suite host/qt lists lists/qt shell bridge ${layer})
    foreach(t ${tabs})
      list(APPEND a ${t} ${t}/ui)
    endforeach()
  endif()
  set(${out} "${a}" PARENT_SCOPE)
endfunction()

if(NOT FILES)
  file(GLOB_RECURSE FILES RELATIVE ${ROOT}
    ${ROOT}/host/* ${ROOT}/res/* ${ROOT}/suite/* ${ROOT}/lists/* ${ROOT}/shell/* ${ROOT}/bridge/* ${ROOT}/cli/*
    ${ROOT}/audit/* ${ROOT}/appt/* ${ROOT}/stats/* ${ROOT}/goals/*)
endif()
set(errors "")
foreach(rel ${FILES})
  if(NOT rel MATCHES "\\.(h|cpp)$")
    continue()
  endif()
  layer_of("${rel}" from)
  if(from STREQUAL "")
    continue()
  endif()
  allowed_for("${from}" allowed)
  file(STRINGS ${ROOT}/${rel} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" inc "${line}")
    layer_of("${inc}" to)
    if(to STREQUAL "")
      continue()
    endif()
    list(FIND allowed "${to}" found)
    if(found EQUAL -1)
      string(APPEND errors "  ${rel}: #include \"${inc}\" (${from}/ may not include ${to}/)\n")
    endif()
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "Includes that run against the layers:\n${errors}")
endif()
