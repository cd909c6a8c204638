# Every external library the build links, found once here.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(TIFF REQUIRED)

find_package(Qt6 6.2 REQUIRED COMPONENTS Core Gui Concurrent Network)
if(SCRIVA_BUILD_GUI)
  find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets PrintSupport)
endif()
if(SCRIVA_BUILD_TESTS)
  find_package(Qt6 6.2 REQUIRED COMPONENTS Test)
endif()
if(SCRIVA_BUILD_TESTS OR SCRIVA_BUILD_FUZZ) # fuzz builds run some table tests under sanitizers
  find_package(GTest REQUIRED)
endif()
if(SCRIVA_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

pkg_check_modules(GST REQUIRED IMPORTED_TARGET gstreamer-1.0 gstreamer-app-1.0 gstreamer-video-1.0)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract lept)

# libharu ships no pkg-config file on Debian.
find_path(HPDF_INCLUDE_DIR hpdf.h REQUIRED)
find_library(HPDF_LIBRARY hpdf REQUIRED)
add_library(scriva_hpdf INTERFACE)
target_include_directories(scriva_hpdf INTERFACE ${HPDF_INCLUDE_DIR})
target_link_libraries(scriva_hpdf INTERFACE ${HPDF_LIBRARY})

set(CMAKE_AUTOMOC ON)
