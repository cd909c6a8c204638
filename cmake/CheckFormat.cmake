# Fails when a C++ source of the program is not in the checked-in .clang-format style.
#   cmake -DSOURCE_DIR=... -DCLANG_FORMAT=... -P CheckFormat.cmake
set(files "")
foreach(dir app capture capture_view cli config export image ocr thumbs tests bench fuzz resources)
  file(GLOB_RECURSE found ${SOURCE_DIR}/${dir}/*.cpp ${SOURCE_DIR}/${dir}/*.h)
  list(APPEND files ${found})
endforeach()
execute_process(
  COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE rc
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message("${out}")
  message(FATAL_ERROR "format check: run clang-format -i on the files above")
endif()
list(LENGTH files n)
message(STATUS "format check: ${n} files ok")
