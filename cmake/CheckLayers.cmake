# Fails when a source file includes, or a core target links, something its
# layer may not use.
#   cmake -DSOURCE_DIR=... [-DQT_INCLUDE_ROOT=...] [-DLINKS_FILE=...] -P CheckLayers.cmake
#
#   image/cximage/   no Qt header at all
#   core folders     (config capture capture_view image thumbs ocr export and
#                    cli, outside their ui/ sub-folders) no Qt Widgets or Print
#                    Support header (every header of those modules, found in
#                    QT_INCLUDE_ROOT) and no header of a ui/ folder or of app/
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

file(GLOB_RECURSE pixel_files ${SOURCE_DIR}/image/cximage/*.h ${SOURCE_DIR}/image/cximage/*.cpp)
foreach(f ${pixel_files})
  included_names(${f} names)
  foreach(name ${names})
    if(name MATCHES "^(Q[A-Za-z]+|Qt[A-Za-z]+/.*|q[a-z]+\\.h)$")
      list(APPEND bad "${f}: Qt in the pixel library: ${name}")
    endif()
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
