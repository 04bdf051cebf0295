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
