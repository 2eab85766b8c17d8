# rd_zlib: the zlib every part of the project links (the PNG codec, colour
# name keys). The Windows builds take the cross toolchain's own static zlib
# (Debian libz-mingw-w64-dev), so the programs carry no zlib DLL; the native
# build takes the system's.
add_library(rd_zlib INTERFACE)
if(RD_WINDOWS)
  find_library(RD_ZLIB_STATIC NAMES libz.a PATHS /usr/${MINGW_TRIPLE}/lib NO_DEFAULT_PATH REQUIRED)
  find_path(RD_ZLIB_INCLUDE zlib.h PATHS /usr/${MINGW_TRIPLE}/include NO_DEFAULT_PATH REQUIRED)
  target_link_libraries(rd_zlib INTERFACE ${RD_ZLIB_STATIC})
  target_include_directories(rd_zlib INTERFACE ${RD_ZLIB_INCLUDE})
else()
  find_package(ZLIB REQUIRED)
  target_link_libraries(rd_zlib INTERFACE ZLIB::ZLIB)
endif()
