# Compiler settings shared by every target of the project (not by third-party code).
add_library(rd_options INTERFACE)
target_compile_options(rd_options INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough)
if(RD_WERROR)
  target_compile_options(rd_options INTERFACE -Werror)
endif()
target_include_directories(rd_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(RD_WINDOWS)
  # Unicode Win32 API throughout; nothing from the ANSI entry points.
  target_compile_definitions(rd_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                  _WIN32_WINNT=0x0601)
endif()

if(RD_SANITIZE)
  if(RD_WINDOWS)
    message(FATAL_ERROR "RD_SANITIZE is for the native build")
  endif()
  set(rd_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${rd_sanitize_flags})
  add_link_options(${rd_sanitize_flags})
endif()

# rd_windows_program(<target> GUI|CONSOLE <sources>...): a Unicode Windows entry point
# (wWinMain or wmain).
function(rd_windows_program target kind)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE rd_options)
  target_link_options(${target} PRIVATE -municode)
  if(kind STREQUAL "GUI")
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()
