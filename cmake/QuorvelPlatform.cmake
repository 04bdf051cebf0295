# The two layers that talk to the system: src/os (memory, files, signals, processors, threads)
# below everything that needs the operating system, and src/window (SDL2 with X11 shared
# memory or Wayland on Linux, Win32 on Windows) beside the renderer, needing only numeric and
# os. Cross builds for other Linux processors (make arm64) take the window's libraries from
# Debian's packages for that processor (cmake/aarch64-linux-gnu.cmake).

option(QUORVEL_BUILD_WINDOW "Build the windowed program" ON)

# The one spelling of "this is x86" in the build; the sources ask QUORVEL_X86 (numeric/simd.h).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
  set(QUORVEL_X86 ON)
else()
  set(QUORVEL_X86 OFF)
endif()
# And of "this is 64-bit ARM" (QUORVEL_ARM64 in numeric/processor.h).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "aarch64|arm64|ARM64")
  set(QUORVEL_ARM64 ON)
else()
  set(QUORVEL_ARM64 OFF)
endif()

add_library(quorvel_includes INTERFACE)
target_include_directories(quorvel_includes INTERFACE ${PROJECT_SOURCE_DIR}/src)

if(WIN32)
  add_library(quorvel_threads STATIC src/os/worker_thread_win32.cpp src/os/processors_win32.cpp
                                     src/os/wake_word_win32.cpp src/os/watch_word.cpp)
  target_link_libraries(quorvel_threads PRIVATE synchronization)
  add_library(quorvel_os STATIC src/os/pages_win32.cpp src/os/process_info_win32.cpp
                                src/os/interrupts_win32.cpp src/os/new_file_win32.cpp
                                src/os/system_error_win32.cpp src/os/utf16_win32.cpp
                                src/os/child_process_win32.cpp src/os/system_facts_win32.cpp)
  target_link_libraries(quorvel_os PRIVATE psapi shell32 advapi32)
  add_library(quorvel_window STATIC src/window/window_win32.cpp)
  target_link_libraries(quorvel_window PRIVATE user32 gdi32 winmm)
  # stb_image_write from Debian's libstb-dev, compiled in: Windows has no libstb to link.
  add_library(quorvel_png STATIC src/io/stb_image_write_impl.c)
  target_include_directories(quorvel_png SYSTEM PUBLIC /usr/include/stb)
elseif(CMAKE_CROSSCOMPILING)
  find_package(Threads REQUIRED)
  add_library(quorvel_threads STATIC src/os/worker_thread_posix.cpp src/os/processors_posix.cpp
                                     src/os/wake_word_posix.cpp src/os/watch_word.cpp)
  target_link_libraries(quorvel_threads PRIVATE Threads::Threads quorvel_os)
  add_library(quorvel_os STATIC src/os/pages_posix.cpp src/os/process_info_posix.cpp
                                src/os/interrupts_posix.cpp src/os/new_file_posix.cpp
                                src/os/child_process_posix.cpp src/os/system_facts_posix.cpp)
  # The packaged stb and SIMDe headers are the same for every processor; only their folders
  # are taken from the build machine, never its other headers.
  add_library(quorvel_png STATIC src/io/stb_image_write_impl.c)
  target_include_directories(quorvel_png SYSTEM PUBLIC /usr/include/stb)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/simde-include)
  file(CREATE_LINK /usr/include/simde ${CMAKE_BINARY_DIR}/simde-include/simde SYMBOLIC)
  target_include_directories(quorvel_includes SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/simde-include)
else()
  find_package(PkgConfig REQUIRED)
  find_package(Threads REQUIRED)
  pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
  add_library(quorvel_threads STATIC src/os/worker_thread_posix.cpp src/os/processors_posix.cpp
                                     src/os/wake_word_posix.cpp src/os/watch_word.cpp)
  target_link_libraries(quorvel_threads PRIVATE Threads::Threads quorvel_os)
  add_library(quorvel_os STATIC src/os/pages_posix.cpp src/os/process_info_posix.cpp
                                src/os/interrupts_posix.cpp src/os/new_file_posix.cpp
                                src/os/child_process_posix.cpp src/os/system_facts_posix.cpp)
  add_library(quorvel_png INTERFACE)
  target_link_libraries(quorvel_png INTERFACE PkgConfig::STB)
endif()
if(QUORVEL_BUILD_WINDOW AND NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext)
  pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
  add_library(quorvel_window STATIC src/window/window_sdl.cpp src/window/x11_presenter.cpp
                                    src/window/surface_presenter.cpp
                                    src/window/wayland_presenter.cpp src/window/wayland_probe.cpp)
  target_link_libraries(quorvel_window PRIVATE PkgConfig::SDL2 PkgConfig::X11 PkgConfig::WAYLAND)
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
  target_link_libraries(${library} PUBLIC quorvel_includes)
endforeach()
if(QUORVEL_BUILD_WINDOW)
  target_link_libraries(quorvel_window PUBLIC quorvel_includes quorvel_os)
endif()
