# The two programs side by side, each a thin driver over the layers, and the generators.

add_library(quorvel_render_lib STATIC
  apps/quorvel-render/bench_plot.cpp
  apps/quorvel-render/frame_times.cpp
  apps/quorvel-render/progress_line.cpp
  apps/quorvel-render/duration.cpp
  apps/quorvel-render/frame_time_histogram.cpp
  apps/quorvel-render/output_folder.cpp
  apps/quorvel-render/render_main.cpp
  apps/quorvel-render/render_options.cpp
  apps/quorvel-render/render_run.cpp
  apps/quorvel-render/round_ticks.cpp
  apps/quorvel-render/run_report.cpp
  apps/quorvel-render/verify_failure.cpp
  apps/quorvel-render/verify_record.cpp
  apps/quorvel-render/verify_run.cpp
  apps/quorvel-render/verify_run_state.cpp
  apps/quorvel-render/verify_shared.cpp
  apps/quorvel-render/verify_status.cpp
  apps/quorvel-render/verify_worker.cpp
)
target_include_directories(quorvel_render_lib PUBLIC ${PROJECT_SOURCE_DIR}/apps)
target_link_libraries(quorvel_render_lib PUBLIC quorvel_frame quorvel_io)

add_executable(quorvel-render apps/quorvel-render/main.cpp)
target_link_libraries(quorvel-render PRIVATE quorvel_render_lib)

# Generators: the built-in picture's source, the icons, and a maker's measured tables.
add_executable(quorvel-draw-picture tools/draw_picture.cpp)
target_link_libraries(quorvel-draw-picture PRIVATE quorvel_includes)

add_executable(quorvel-draw-icon tools/draw_icon.cpp)
target_link_libraries(quorvel-draw-icon PRIVATE quorvel_scene quorvel_io)

# Draws the known frame hashes --verify checks against and writes them as source.
add_executable(quorvel-known-hashes tools/known_hashes.cpp)
target_link_libraries(quorvel-known-hashes PRIVATE quorvel_frame)

# Measures the processor's approximate reciprocals (x86 Linux only) and writes a maker's
# tables as source.
if(QUORVEL_X86 AND NOT WIN32)
  add_executable(quorvel-approx-tables tools/approx_tables.cpp)
  target_link_libraries(quorvel-approx-tables PRIVATE quorvel_includes)
endif()

# The windowed program.
if(NOT QUORVEL_BUILD_WINDOW)
  return()
endif()
# The shell links no window backend: the program gets the real one, the tests a fake.
add_library(quorvel_shell STATIC apps/quorvel/command_line.cpp apps/quorvel/drawing_area.cpp
                                 apps/quorvel/handle_window_event.cpp apps/quorvel/main_loop.cpp
                                 apps/quorvel/startup.cpp)
target_include_directories(quorvel_shell PUBLIC ${PROJECT_SOURCE_DIR}/apps)
target_link_libraries(quorvel_shell PUBLIC quorvel_frame quorvel_io quorvel_os)

add_executable(quorvel apps/quorvel/main.cpp)
target_link_libraries(quorvel PRIVATE quorvel_shell quorvel_window)
# A Windows GUI program: started from Explorer it opens no console window.
set_target_properties(quorvel PROPERTIES WIN32_EXECUTABLE TRUE)
