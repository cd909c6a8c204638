# The layer check refuses what it is there to refuse: on a copy of the core
# folders it passes, and fails once a core file includes a widget header or a
# ui/ header, or a core target's link closure holds Qt Widgets.
#   cmake -DSOURCE_DIR=... -DQT_INCLUDE_ROOT=... -DWORK_DIR=... -P LayerCheckTest.cmake
cmake_minimum_required(VERSION 3.22)

file(REMOVE_RECURSE ${WORK_DIR})
foreach(dir config capture capture_view image thumbs ocr export cli)
  file(COPY ${SOURCE_DIR}/${dir} DESTINATION ${WORK_DIR} FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp")
endforeach()
set(check ${SOURCE_DIR}/cmake/CheckLayers.cmake)

# Runs the check on the copy; expect is "pass" or the text the failure must say.
function(expect what)
  cmake_parse_arguments(A "" "LINKS" "" ${ARGN})
  set(links "")
  if(A_LINKS)
    set(links -DLINKS_FILE=${A_LINKS})
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -DQT_INCLUDE_ROOT=${QT_INCLUDE_ROOT} ${links}
            -P ${check}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REGEX REPLACE "[ \t\n]+" " " out "${out}")
  if(what STREQUAL "pass")
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "the clean copy fails the layer check: ${out}")
    endif()
  elseif(rc EQUAL 0)
    message(FATAL_ERROR "the layer check passes a tree it must refuse (${what})")
  elseif(NOT out MATCHES "${what}")
    message(FATAL_ERROR "the layer check fails without naming '${what}': ${out}")
  endif()
endfunction()

# Adds a line to a file of the copy, runs the check, then puts the file back.
function(expect_refused file line what)
  file(READ ${WORK_DIR}/${file} original)
  file(APPEND ${WORK_DIR}/${file} "${line}\n")
  expect("${what}")
  file(WRITE ${WORK_DIR}/${file} "${original}")
endfunction()

expect(pass)
expect_refused(config/AppPaths.cpp "#include <QComboBox>" "config/AppPaths.cpp: a widget header")
expect_refused(image/CScrivaDoc.cpp "#include \"image/ui/CScrivaView.h\""
               "image/CScrivaDoc.cpp: a user-interface header")
expect_refused(capture/CCaptureGraph.h "#include <QtPrintSupport/QPrinter>"
               "capture/CCaptureGraph.h: a widget module")
expect_refused(cli/CliCommand.cpp "#  include \"app/shell/CScrivaApp.h\""
               "cli/CliCommand.cpp: a user-interface header")
expect_refused(image/cximage/CxImage.h "#include <QString>" "Qt in the pixel library")
expect(pass)

file(WRITE ${WORK_DIR}/links.txt "scriva_config: Qt6::Core\nscriva_image: Qt6::Gui scriva_config\n")
expect(pass LINKS ${WORK_DIR}/links.txt)
file(APPEND ${WORK_DIR}/links.txt "scriva_export: Qt6::Core Qt6::Widgets\n")
expect("scriva_export: a core target links Qt6::Widgets" LINKS ${WORK_DIR}/links.txt)
file(WRITE ${WORK_DIR}/links.txt "scriva_thumbs: scriva_config scriva_image_ui\n")
expect("scriva_thumbs: a core target links scriva_image_ui" LINKS ${WORK_DIR}/links.txt)
file(REMOVE_RECURSE ${WORK_DIR})
