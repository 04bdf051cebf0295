# The platform layer: the only code that talks to the operating system and window system.
# Linux: pthreads and SDL2 (with X11 shared memory for presentation). Windows: Win32.
# Cross builds for other Linux processors (make arm64) leave the window out.

option(QUORVEL_BUILD_WINDOW "Build the windowed program" ON)

# The one spelling of "this is x86" in the build; the sources ask QUORVEL_X86 (numeric/simd.h).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  set(QUORVEL_X86 ON)
else()
  set(QUORVEL_X86 OFF)
endif()

add_library(quorvel_platform_headers INTERFACE)
target_include_directories(quorvel_platform_headers INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(WIN32)
  add_library(quorvel_threads STATIC src/platform/os/worker_thread_win32.cpp)
  add_library(quorvel_os STATIC src/platform/os/pages_win32.cpp src/platform/os/process_info_win32.cpp
                                src/platform/os/interrupts_win32.cpp src/platform/os/new_file_win32.cpp
                                src/platform/os/system_error_win32.cpp src/platform/os/utf16_win32.cpp)
  target_link_libraries(quorvel_os PRIVATE psapi shell32)
  add_library(quorvel_window STATIC src/platform/window/window_win32.cpp)
  target_link_libraries(quorvel_window PRIVATE user32 gdi32 quorvel_os)
  # stb_image_write from Debian's libstb-dev, compiled in: Windows has no libstb to link.
  add_library(quorvel_png STATIC src/io/stb_image_write_impl.c)
  target_include_directories(quorvel_png SYSTEM PUBLIC /usr/include/stb)
elseif(CMAKE_CROSSCOMPILING)
  find_package(Threads REQUIRED)
  add_library(quorvel_threads STATIC src/platform/os/worker_thread_posix.cpp)
  target_link_libraries(quorvel_threads PRIVATE Threads::Threads quorvel_os)
  add_library(quorvel_os STATIC src/platform/os/pages_posix.cpp src/platform/os/process_info_posix.cpp
                                src/platform/os/interrupts_posix.cpp src/platform/os/new_file_posix.cpp)
  # The packaged stb and SIMDe headers are the same for every processor; only their folders
  # are taken from the build machine, never its other headers.
  add_library(quorvel_png STATIC src/io/stb_image_write_impl.c)
  target_include_directories(quorvel_png SYSTEM PUBLIC /usr/include/stb)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/simde-include)
  file(CREATE_LINK /usr/include/simde ${CMAKE_BINARY_DIR}/simde-include/simde SYMBOLIC)
  target_include_directories(quorvel_platform_headers SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/simde-include)
else()
  find_package(PkgConfig REQUIRED)
  find_package(Threads REQUIRED)
  pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
  add_library(quorvel_threads STATIC src/platform/os/worker_thread_posix.cpp)
  target_link_libraries(quorvel_threads PRIVATE Threads::Threads quorvel_os)
  add_library(quorvel_os STATIC src/platform/os/pages_posix.cpp src/platform/os/process_info_posix.cpp
                                src/platform/os/interrupts_posix.cpp src/platform/os/new_file_posix.cpp)
  if(QUORVEL_BUILD_WINDOW)
    pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
    pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext)
    pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
    add_library(quorvel_window STATIC src/platform/window/window_sdl.cpp src/platform/window/x11_presenter.cpp
                                      src/platform/window/surface_presenter.cpp
                                      src/platform/window/wayland_probe.cpp)
    target_link_libraries(quorvel_window PRIVATE PkgConfig::SDL2 PkgConfig::X11 PkgConfig::WAYLAND)
  endif()
  add_library(quorvel_png INTERFACE)
  target_link_libraries(quorvel_png INTERFACE PkgConfig::STB)
endif()
if(CMAKE_CROSSCOMPILING AND NOT WIN32)
  set(QUORVEL_BUILD_WINDOW OFF)
endif()

# XXH3 for frame hashes, used header-only so that every build, cross-compiled ones too,
# hashes with the same code; only xxhash.h is taken from the build machine's headers.
if(NOT EXISTS /usr/include/xxhash.h)
  message(FATAL_ERROR "xxhash.h not found: install libxxhash-dev (make setup does)")
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xxhash-include)
file(CREATE_LINK /usr/include/xxhash.h ${CMAKE_BINARY_DIR}/xxhash-include/xxhash.h SYMBOLIC)
add_library(quorvel_xxhash INTERFACE)
target_include_directories(quorvel_xxhash SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/xxhash-include)

foreach(library quorvel_threads quorvel_os)
  target_link_libraries(${library} PUBLIC quorvel_platform_headers)
endforeach()
if(QUORVEL_BUILD_WINDOW)
  target_link_libraries(quorvel_window PUBLIC quorvel_platform_headers)
endif()
if(QUORVEL_BUILD_WINDOW)
  # For the presentation types (what changed between frames) only.
  target_link_libraries(quorvel_window PUBLIC quorvel_frame)
endif()
