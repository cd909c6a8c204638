# The layer check refuses what it is there to refuse: on a copy of the core
# folders and app/ it passes, and fails once a core file includes a widget header,
# a ui/ header or a higher layer's header, an app/ sub-folder includes a higher
# one, or a core target's link closure holds Qt Widgets.
#   cmake -DSOURCE_DIR=... -DQT_INCLUDE_ROOT=... -DWORK_DIR=... -P LayerCheckTest.cmake
cmake_minimum_required(VERSION 3.22)

file(REMOVE_RECURSE ${WORK_DIR})
foreach(dir base config capture capture_view image thumbs ocr export cli app)
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
# One row a fault: the file of the copy, the line added to it, what the refusal says.
set(refusals
  config/AppPaths.cpp "#include <QComboBox>" "config/AppPaths.cpp: a widget header"
  image/CScrivaDoc.cpp "#include \"image/ui/CScrivaView.h\""
    "image/CScrivaDoc.cpp: a user-interface header"
  capture/CCaptureGraph.h "#include <QtPrintSupport/QPrinter>"
    "capture/CCaptureGraph.h: a widget module"
  cli/CliCommand.cpp "#  include \"app/shell/CScrivaApp.h\""
    "cli/CliCommand.cpp: a user-interface header"
  image/cximage/CxImage.h "#include <QString>" "Qt in the pixel library"
  base/CxSafeFile.h "#include <QtCore/QString>" "Qt in the base library"
  # Lower layers do not borrow from higher ones, nor from those beside them.
  config/AppPaths.cpp "#include \"image/cximage/CxImage.h\""
    "config/AppPaths.cpp: a higher layer's header in config/"
  base/CxSafeFile.cpp "#include \"config/AppPaths.h\""
    "base/CxSafeFile.cpp: a higher layer's header in base/"
  image/cximage/CxImageIO.cpp "#include \"config/CConfigFile.h\""
    "image/cximage/CxImageIO.cpp: a higher layer's header in image/cximage/"
  image/CScrivaDoc.cpp "#include \"export/PdfExport.h\""
    "image/CScrivaDoc.cpp: a higher layer's header in image/"
  ocr/RecognizedTexts.cpp "#include \"thumbs/ThumbCache.h\""
    "ocr/RecognizedTexts.cpp: a higher layer's header in ocr/"
  base/ImageExtensions.cpp "#include \"image/cximage/CxImage.h\""
    "base/ImageExtensions.cpp: a higher layer's header in base/"
  config/FileTypeTable.cpp "#include \"image/cximage/CxImage.h\""
    "config/FileTypeTable.cpp: a higher layer's header in config/"
  capture_view/PhotoJob.cpp "#include \"cli/CliPhoto.h\""
    "capture_view/PhotoJob.cpp: a higher layer's header in capture_view/"
  # app/'s sub-folders: widgets, commands, shell, frame, each on those before it.
  app/shell/CScrivaApp.cpp "#include \"app/frame/FrameWindows.h\""
    "app/shell/CScrivaApp.cpp: app/shell/ includes the higher app/frame/"
  app/widgets/CSkinButton.cpp "#include \"app/shell/LanguagePack.h\""
    "app/widgets/CSkinButton.cpp: app/widgets/ includes the higher app/shell/"
  app/commands/CommandRouter.h "#include \"app/frame/CMainFrame.h\""
    "app/commands/CommandRouter.h: app/commands/ includes the higher app/frame/")
list(LENGTH refusals count)
math(EXPR last "${count} - 1")
foreach(at RANGE 0 ${last} 3)
  math(EXPR line_at "${at} + 1")
  math(EXPR what_at "${at} + 2")
  list(GET refusals ${at} file)
  list(GET refusals ${line_at} line)
  list(GET refusals ${what_at} what)
  expect_refused(${file} "${line}" "${what}")
endforeach()
expect(pass)

file(WRITE ${WORK_DIR}/links.txt "scriva_config: Qt6::Core\nscriva_image: Qt6::Gui scriva_config\n")
expect(pass LINKS ${WORK_DIR}/links.txt)
file(APPEND ${WORK_DIR}/links.txt "scriva_export: Qt6::Core Qt6::Widgets\n")
expect("scriva_export: a core target links Qt6::Widgets" LINKS ${WORK_DIR}/links.txt)
file(WRITE ${WORK_DIR}/links.txt "scriva_thumbs: scriva_config scriva_image_ui\n")
expect("scriva_thumbs: a core target links scriva_image_ui" LINKS ${WORK_DIR}/links.txt)
file(REMOVE_RECURSE ${WORK_DIR})
