# The headless frame tool and the picture generator.

# Files that appear whole, and values quoted in error lines: shared by both programs.
add_library(quorvel_io STATIC src/io/quoted_text.cpp src/io/whole_file.cpp)
target_include_directories(quorvel_io PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(quorvel_io PUBLIC quorvel_os)

add_library(quorvel_render_lib STATIC
  tools/render/image_file.cpp
  tools/render/render_options.cpp
  tools/render/frame_stream.cpp
  tools/render/frame_times.cpp
  tools/render/progress_line.cpp
  tools/render/render_run.cpp
)
target_include_directories(quorvel_render_lib PUBLIC ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(quorvel_render_lib PUBLIC quorvel_core quorvel_io quorvel_png)

add_executable(quorvel-render tools/render/main.cpp)
target_link_libraries(quorvel-render PRIVATE quorvel_render_lib)

add_executable(quorvel-draw-picture tools/draw_picture.cpp)

add_executable(quorvel-draw-icon tools/draw_icon.cpp)
target_link_libraries(quorvel-draw-icon PRIVATE quorvel_render_lib)
target_include_directories(quorvel-draw-picture PRIVATE ${PROJECT_SOURCE_DIR}/src)

# Measures the processor's approximate reciprocals; writes a maker's tables as source.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64" AND NOT WIN32)
  add_executable(quorvel-approx-tables tools/approx_tables.cpp)
  target_include_directories(quorvel-approx-tables PRIVATE ${PROJECT_SOURCE_DIR}/src)
endif()

# The windowed program.
if(NOT QUORVEL_BUILD_WINDOW)
  return()
endif()
add_library(quorvel_shell STATIC src/shell/command_line.cpp src/shell/drawing_area.cpp src/shell/main_loop.cpp
                                 src/shell/handle_window_event.cpp)
target_link_libraries(quorvel_shell PUBLIC quorvel_core quorvel_io quorvel_window)

add_executable(quorvel src/shell/startup.cpp)
target_link_libraries(quorvel PRIVATE quorvel_shell quorvel_os)
# A Windows GUI program: started from Explorer it opens no console window.
set_target_properties(quorvel PROPERTIES WIN32_EXECUTABLE TRUE)
