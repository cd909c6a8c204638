# Fails when a source file includes, or a core target links, something its
# layer may not use.
#   cmake -DSOURCE_DIR=... [-DQT_INCLUDE_ROOT=...] [-DLINKS_FILE=...] -P CheckLayers.cmake
#
#   base/, image/cximage/   no Qt header at all
#   core folders     (config capture capture_view image thumbs ocr export and
#                    cli, outside their ui/ sub-folders) no Qt Widgets or Print
#                    Support header (every header of those modules, found in
#                    QT_INCLUDE_ROOT) and no header of a ui/ folder or of app/
#   layers           a core file includes the core folders below its own and
#                    its own folder only (the table below: base; image/cximage
#                    and config side by side; capture ocr thumbs; image; export
#                    and capture_view; cli)
#   app/             a sub-folder includes those before it and itself only:
#                    widgets, commands, shell, frame (main.cpp joins them)
#   LINKS_FILE       lines "target: library library ..." (each core target's
#                    link closure, written at configure time): no Qt Widgets,
#                    Print Support or ui library among them
cmake_minimum_required(VERSION 3.22)
set(core_folders config capture capture_view image thumbs ocr export cli)
set(forbidden_modules QtWidgets QtPrintSupport QtOpenGLWidgets)

# Every header name of the forbidden modules: <QComboBox>, <qcombobox.h> ...
set(forbidden_headers "")
if(NOT QT_INCLUDE_ROOT)
  file(GLOB QT_INCLUDE_ROOT LIST_DIRECTORIES true /usr/include/*/qt6 /usr/include/qt6)
  list(FILTER QT_INCLUDE_ROOT INCLUDE REGEX "qt6$")
  list(GET QT_INCLUDE_ROOT 0 QT_INCLUDE_ROOT)
endif()
foreach(module ${forbidden_modules})
  file(GLOB names RELATIVE ${QT_INCLUDE_ROOT}/${module} ${QT_INCLUDE_ROOT}/${module}/*)
  list(APPEND forbidden_headers ${names})
endforeach()
list(LENGTH forbidden_headers known)
if(known EQUAL 0)
  message(FATAL_ERROR "layer check: no Qt Widgets headers found under '${QT_INCLUDE_ROOT}'")
endif()
string(JOIN "|" module_alternatives ${forbidden_modules})

set(include_line "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
set(bad "")

# The names a file includes, one list element each.
function(included_names file out)
  file(STRINGS ${file} lines REGEX "${include_line}")
  set(names "")
  foreach(line ${lines})
    string(REGEX REPLACE "${include_line}.*" "\\1" name "${line}")
    list(APPEND names "${name}")
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

foreach(dir base image/cximage)
  file(GLOB_RECURSE plain_files ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  foreach(f ${plain_files})
    included_names(${f} names)
    foreach(name ${names})
      if(name MATCHES "^(Q[A-Za-z]+|Qt[A-Za-z]+/.*|q[a-z]+\\.h)$")
        if(dir STREQUAL "base")
          list(APPEND bad "${f}: Qt in the base library: ${name}")
        else()
          list(APPEND bad "${f}: Qt in the pixel library: ${name}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

# The core layers, lowest first: "folder:the folders it may include besides its own".
set(core_layers
  "base:"
  "image/cximage:base"
  "config:base"
  "capture:base image/cximage config"
  "ocr:base image/cximage config"
  "thumbs:base image/cximage config"
  "image:base image/cximage config capture ocr thumbs"
  "export:base image/cximage config capture ocr thumbs image"
  "capture_view:base image/cximage config capture ocr thumbs image"
  "cli:base image/cximage config capture ocr thumbs image export capture_view")
set(layer_folders "")
foreach(entry ${core_layers})
  string(REGEX REPLACE ":.*" "" folder "${entry}")
  list(APPEND layer_folders ${folder})
endforeach()

# The core folder a path (of a file, or an included name) lies in; empty for none.
function(layer_of path out)
  set(found "")
  foreach(folder ${layer_folders})
    string(LENGTH "${folder}" n)
    string(LENGTH "${found}" m)
    if((path MATCHES "^${folder}/") AND n GREATER m)
      set(found ${folder})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

foreach(entry ${core_layers})
  string(REGEX REPLACE ":.*" "" folder "${entry}")
  string(REGEX REPLACE "^[^:]*:" "" allowed "${entry}")
  separate_arguments(allowed UNIX_COMMAND "${allowed}")
  file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(f ${files})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
    layer_of("${rel}" own)
    if(NOT own STREQUAL folder OR rel MATCHES "(^|/)ui/")
      continue() # a deeper layer's file, or a user-interface one
    endif()
    included_names(${f} names)
    foreach(name ${names})
      layer_of("${name}" layer)
      if(layer AND NOT layer STREQUAL folder AND NOT layer IN_LIST allowed
         AND NOT name MATCHES "(^|/)ui/")
        list(APPEND bad "${rel}: a higher layer's header in ${folder}/: ${name}")
      endif()
    endforeach()
  endforeach()
endforeach()

# app/'s sub-folders, lowest first; main.cpp above them all.
set(app_layers widgets commands shell frame)
foreach(folder ${app_layers})
  file(GLOB_RECURSE files ${SOURCE_DIR}/app/${folder}/*.h ${SOURCE_DIR}/app/${folder}/*.cpp)
  list(FIND app_layers ${folder} own)
  foreach(f ${files})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
    included_names(${f} names)
    foreach(name ${names})
      if(name MATCHES "^app/([^/]+)/")
        list(FIND app_layers "${CMAKE_MATCH_1}" other)
        if(other GREATER own)
          list(APPEND bad "${rel}: app/${folder}/ includes the higher app/${CMAKE_MATCH_1}/: ${name}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(dir ${core_folders})
  file(GLOB_RECURSE files ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.cpp)
  foreach(f ${files})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
    if(rel MATCHES "(^|/)ui/")
      continue()
    endif()
    included_names(${f} names)
    foreach(name ${names})
      get_filename_component(leaf "${name}" NAME)
      if(name MATCHES "^(${module_alternatives})(/|$)")
        list(APPEND bad "${rel}: a widget module in a core folder: ${name}")
      elseif(NOT name MATCHES "/" AND leaf IN_LIST forbidden_headers)
        list(APPEND bad "${rel}: a widget header in a core folder: ${name}")
      elseif(name MATCHES "(^|/)ui/" OR name MATCHES "^app/")
        list(APPEND bad "${rel}: a user-interface header in a core folder: ${name}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(LINKS_FILE)
  file(STRINGS ${LINKS_FILE} link_lines)
  foreach(line ${link_lines})
    # "target: libs"; the libraries' own names hold "::".
    string(FIND "${line}" ": " colon)
    if(colon LESS 0)
      continue()
    endif()
    string(SUBSTRING "${line}" 0 ${colon} target)
    math(EXPR start "${colon} + 2")
    string(SUBSTRING "${line}" ${start} -1 libs)
    separate_arguments(libs UNIX_COMMAND "${libs}")
    foreach(lib ${libs})
      if(lib MATCHES "^Qt6?::(Widgets|PrintSupport|OpenGLWidgets)$" OR lib MATCHES "_ui$"
         OR lib STREQUAL "scriva_app")
        list(APPEND bad "${target}: a core target links ${lib}")
      endif()
    endforeach()
  endforeach()
endif()

if(bad)
  foreach(b ${bad})
    message(SEND_ERROR "${b}")
  endforeach()
  list(LENGTH bad n)
  message(FATAL_ERROR "layer check: ${n} violation(s)")
endif()
message(STATUS "layer check: ok")
