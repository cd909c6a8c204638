# Helper functions that give every target of the program the same shape.
#
#   scriva_add_core_library(NAME SOURCES ... [LINKS ...])   no Qt Widgets
#   scriva_add_ui_library(NAME SOURCES ... [LINKS ...])     may use Qt Widgets
#   scriva_add_gtest(NAME SOURCES ... LINKS ...)            GoogleTest executable
#   scriva_add_qtest(NAME SOURCES ... LINKS ...)            QtTest executable (offscreen)
#   scriva_check_layers()                                   configure-time include check
#   scriva_check_link_layers()                              the same for link libraries (last)

set(SCRIVA_WARNINGS -Wall -Wextra -Wpedantic -Wno-unused-parameter)

function(_scriva_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${SCRIVA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${A_LINKS} PRIVATE ${A_PRIVATE_LINKS})
endfunction()

function(scriva_add_core_library name)
  _scriva_library(${name} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY SCRIVA_CORE_LIBRARIES ${name})
endfunction()

function(scriva_add_ui_library name)
  _scriva_library(${name} ${ARGN})
  set_property(GLOBAL APPEND PROPERTY SCRIVA_UI_LIBRARIES ${name})
endfunction()

# Tests run with temporary XDG folders, the offscreen platform and one OpenMP thread.
# No test opens the machine's own camera: a test that wants pictures names the
# demo camera or the test pattern itself.
set(SCRIVA_TEST_ENV
  "SCRIVA_CAMERA=none"
  "QT_QPA_PLATFORM=offscreen"
  "OMP_THREAD_LIMIT=1"
  "LC_ALL=C.UTF-8"
  "SCRIVA_DATA_DIR=${SCRIVA_DATA_DIR}"
  "SCRIVA_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

function(scriva_add_gtest name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LINKS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  # The environment comes from the shared main (tests/common/GTestMain.cpp):
  # properties of discovered tests cannot carry a list of variables.
  add_executable(${name} ${A_SOURCES} ${CMAKE_SOURCE_DIR}/tests/common/GTestMain.cpp)
  target_compile_options(${name} PRIVATE ${SCRIVA_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    SCRIVA_TEST_DATA_DIR="${SCRIVA_DATA_DIR}" SCRIVA_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${A_LINKS} GTest::gtest GTest::gmock)
  include(GoogleTest)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()

function(scriva_add_qtest name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LINKS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${SCRIVA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_LINKS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${SCRIVA_TEST_ENV}" TIMEOUT ${A_TIMEOUT})
endfunction()

# Layers: the pixel library includes no Qt at all; core folders include no Qt
# Widgets or Print Support header and no ui/ or app/ header. Checked at
# configure time and again as the layer_check test, which also reads the core
# targets' link closures that scriva_check_link_layers writes.
function(_scriva_qt_include_root out)
  get_target_property(dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
  set(root "")
  foreach(dir ${dirs})
    if(dir MATCHES "/QtCore$")
      get_filename_component(root ${dir} DIRECTORY)
    endif()
  endforeach()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

function(scriva_check_layers)
  _scriva_qt_include_root(qt_root)
  set(SCRIVA_QT_INCLUDE_ROOT ${qt_root} CACHE INTERNAL "")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DQT_INCLUDE_ROOT=${qt_root}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "layer check failed (see above)")
  endif()
  if(SCRIVA_BUILD_TESTS)
    add_test(NAME layer_check
      COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DQT_INCLUDE_ROOT=${qt_root}
              -DLINKS_FILE=${CMAKE_BINARY_DIR}/layer_links.txt
              -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake)
    # The check itself refuses the faults it is there for (on a copy of the tree).
    add_test(NAME layer_check_refuses
      COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DQT_INCLUDE_ROOT=${qt_root}
              -DWORK_DIR=${CMAKE_BINARY_DIR}/layer_check_fixture
              -P ${CMAKE_SOURCE_DIR}/tests/cmake/LayerCheckTest.cmake)
  endif()
endfunction()

# Every library a target links, directly or through the program's own
# targets (imported targets are not followed).
function(_scriva_link_closure target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${current} ${property})
      if(NOT libs)
        continue()
      endif()
      foreach(lib ${libs})
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
        if(lib MATCHES "^\\$<" OR lib IN_LIST seen)
          continue()
        endif()
        list(APPEND seen ${lib})
        if(TARGET ${lib})
          get_target_property(imported ${lib} IMPORTED)
          if(NOT imported)
            list(APPEND queue ${lib})
          endif()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Called once every target exists: writes each core target's link closure (and
# the command-line tool's) for the layer_check test and refuses a core target
# that links Qt Widgets, Print Support or a ui library.
function(scriva_check_link_layers)
  get_property(core GLOBAL PROPERTY SCRIVA_CORE_LIBRARIES)
  set(lines "")
  foreach(target ${core} scriva-cli)
    if(TARGET ${target})
      _scriva_link_closure(${target} closure)
      list(JOIN closure " " joined)
      string(APPEND lines "${target}: ${joined}\n")
    endif()
  endforeach()
  set(file ${CMAKE_BINARY_DIR}/layer_links.txt)
  file(WRITE ${file} "${lines}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
            -DQT_INCLUDE_ROOT=${SCRIVA_QT_INCLUDE_ROOT} -DLINKS_FILE=${file}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "layer check failed (see above)")
  endif()
endfunction()

# Folder-level forms: take every .cpp of the current folder (new files are
# picked up at the next build). Nothing is defined while the folder has none.
function(scriva_glob_library kind name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  if(NOT sources)
    return()
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(kind STREQUAL "ui")
    scriva_add_ui_library(${name} SOURCES ${sources} ${headers} ${ARGN})
  else()
    scriva_add_core_library(${name} SOURCES ${sources} ${headers} ${ARGN})
  endif()
endfunction()

function(scriva_glob_gtest name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    scriva_add_gtest(${name} SOURCES ${sources} ${ARGN})
  endif()
endfunction()

# The format check runs with the tests when clang-format is installed.
function(scriva_check_format)
  find_program(SCRIVA_CLANG_FORMAT NAMES clang-format clang-format-14)
  if(SCRIVA_BUILD_TESTS AND SCRIVA_CLANG_FORMAT)
    add_test(NAME format_check
      COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DCLANG_FORMAT=${SCRIVA_CLANG_FORMAT}
              -P ${CMAKE_SOURCE_DIR}/cmake/CheckFormat.cmake)
  endif()
  # clang-tidy over the whole tree is scripts/tidy (slow on two cores); the
  # test keeps the settings library, which every other one uses, clean.
  find_program(SCRIVA_CLANG_TIDY NAMES clang-tidy clang-tidy-14)
  if(SCRIVA_BUILD_TESTS AND SCRIVA_CLANG_TIDY)
    add_test(NAME tidy_config
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/tidy config
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
    set_tests_properties(tidy_config PROPERTIES
      ENVIRONMENT "SCRIVA_BUILD_DIR=${CMAKE_BINARY_DIR}" TIMEOUT 600)
  endif()
endfunction()
