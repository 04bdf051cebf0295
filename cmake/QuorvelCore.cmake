# The renderer: scene, pipeline and raster, with the thread services it runs on.

add_library(quorvel_core STATIC
  src/scene/approx_model.cpp
  src/scene/approx_tables_amd.cpp
  src/scene/approx_tables_intel.cpp
  src/scene/built_in_image.cpp
  src/scene/built_in_scene.cpp
  src/scene/decode_texture.cpp
  src/scene/fit_model.cpp
  src/scene/normalize_lights.cpp
  src/scene/normals.cpp
  src/scene/preparation.cpp
  src/scene/vector_math.cpp
  src/raster/draw_span_reference.cpp
  src/raster/draw_triangle.cpp
  src/raster/span_routines.cpp
  src/pipeline/animation.cpp
  src/pipeline/approx_fingerprint.cpp
  src/pipeline/band_order.cpp
  src/pipeline/build_info.cpp
  src/pipeline/draw_faces.cpp
  src/pipeline/drawn_area.cpp
  src/pipeline/fill_buffer.cpp
  src/pipeline/frame_driver.cpp
  src/pipeline/frame_hash.cpp
)
target_include_directories(quorvel_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
set_source_files_properties(src/pipeline/build_info.cpp PROPERTIES COMPILE_DEFINITIONS
                            QUORVEL_VERSION="${PROJECT_VERSION}")
target_link_libraries(quorvel_core PUBLIC quorvel_threads)

# Chosen at run time, only on processors that have it.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  target_sources(quorvel_core PRIVATE src/raster/draw_span_avx2.cpp)
  set_source_files_properties(src/raster/draw_span_avx2.cpp PROPERTIES COMPILE_OPTIONS "-mavx2")
endif()
