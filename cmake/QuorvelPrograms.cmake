# The headless frame tool and the picture generator.

add_library(quorvel_os STATIC src/platform/pages_posix.cpp src/platform/process_info_posix.cpp)
target_include_directories(quorvel_os PUBLIC ${PROJECT_SOURCE_DIR}/src)

add_library(quorvel_render_lib STATIC
  tools/render/image_file.cpp
  tools/render/render_options.cpp
  tools/render/frame_statistics.cpp
  tools/render/render_run.cpp
)
target_include_directories(quorvel_render_lib PUBLIC ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(quorvel_render_lib PUBLIC quorvel_core quorvel_os PkgConfig::STB)

add_executable(quorvel-render tools/render/main.cpp)
target_link_libraries(quorvel-render PRIVATE quorvel_render_lib)

add_executable(quorvel-draw-picture tools/draw_picture.cpp)

# The windowed program.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext)
add_library(quorvel_window STATIC src/platform/window_sdl.cpp src/platform/shared_frame_x11.cpp)
target_include_directories(quorvel_window PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(quorvel_window PRIVATE PkgConfig::SDL2 PkgConfig::X11)

add_library(quorvel_shell STATIC src/shell/drawing_area.cpp src/shell/main_loop.cpp src/shell/window_proc.cpp)
target_link_libraries(quorvel_shell PUBLIC quorvel_core quorvel_window)

add_executable(quorvel src/shell/startup.cpp)
target_link_libraries(quorvel PRIVATE quorvel_shell quorvel_os)
