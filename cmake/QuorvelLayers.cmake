# The renderer's layers, one library each, linking only the layers below it:
# numeric <- scene <- raster <- frame, and io beside them. The README's layout table says
# what each may include, and a unit test holds every #include to it.

add_library(quorvel_numeric STATIC
  src/numeric/approx_fingerprint.cpp
  src/numeric/approx_model.cpp
  src/numeric/processor_features.cpp
  src/numeric/fill_buffer.cpp
  src/numeric/frame_hash.cpp
  src/numeric/native_equivalence.cpp
  src/numeric/processor_identity.cpp
  src/numeric/vector_math.cpp
  src/numeric/generated/approx_tables_amd.cpp
  src/numeric/generated/approx_tables_intel.cpp
)
target_link_libraries(quorvel_numeric PUBLIC quorvel_includes PRIVATE quorvel_xxhash)
# XXH3's AVX2 loop, chosen at run time on processors that have it.
if(QUORVEL_X86)
  target_sources(quorvel_numeric PRIVATE src/numeric/xxh3_avx2.cpp)
  set_source_files_properties(src/numeric/xxh3_avx2.cpp PROPERTIES COMPILE_OPTIONS -mavx2)
endif()

add_library(quorvel_scene STATIC
  src/scene/built_in_scene.cpp
  src/scene/decode_texture.cpp
  src/scene/fit_model.cpp
  src/scene/normalize_lights.cpp
  src/scene/normals.cpp
  src/scene/preparation.cpp
  src/scene/generated/built_in_image.cpp
)
target_link_libraries(quorvel_scene PUBLIC quorvel_numeric)

add_library(quorvel_raster STATIC
  src/raster/draw_span_reference.cpp
  src/raster/draw_triangle.cpp
  src/raster/drawing_description.cpp
  src/raster/span_routines.cpp
)
target_link_libraries(quorvel_raster PUBLIC quorvel_scene)
# Chosen at run time, only on processors that have them; each file asks for AVX2 or AVX-512
# itself, after its includes.
if(QUORVEL_X86)
  target_sources(quorvel_raster PRIVATE src/raster/draw_span_avx2.cpp src/raster/draw_span_avx512vl.cpp
                                        src/raster/draw_span_avx512.cpp)
endif()
# NEON is part of every 64-bit ARM processor.
if(QUORVEL_ARM64)
  target_sources(quorvel_raster PRIVATE src/raster/draw_span_neon.cpp)
endif()

add_library(quorvel_frame STATIC
  src/frame/animation.cpp
  src/frame/band_order.cpp
  src/frame/band_row_hashes.cpp
  src/frame/band_workers.cpp
  src/frame/bands.cpp
  src/frame/draw_faces.cpp
  src/frame/drawn_area.cpp
  src/frame/frame_buffers.cpp
  src/frame/frame_driver.cpp
  src/frame/known_frame_hashes.cpp
  src/frame/generated/known_hashes_amd_1910x1070.cpp
  src/frame/generated/known_hashes_amd_320x240.cpp
  src/frame/generated/known_hashes_intel_1910x1070.cpp
  src/frame/generated/known_hashes_intel_320x240.cpp
  src/frame/worker_pool.cpp
  src/frame/worker_processors.cpp
)
# Frame buffers come from the system in whole pages.
target_link_libraries(quorvel_frame PUBLIC quorvel_raster quorvel_threads quorvel_os)

# Image files and frame streams, files that appear whole, values quoted in error lines:
# shared by both programs, the tests and the benchmarks.
add_library(quorvel_io STATIC
  src/io/command_line.cpp
  src/io/frame_size.cpp
  src/io/frame_stream.cpp
  src/io/image_file.cpp
  src/io/json_writer.cpp
  src/io/program_version.cpp
  src/io/quoted_text.cpp
  src/io/rgb_bytes.cpp
  src/io/thread_count.cpp
  src/io/whole_file.cpp
)
set_source_files_properties(src/io/program_version.cpp PROPERTIES COMPILE_DEFINITIONS
                            QUORVEL_VERSION="${PROJECT_VERSION}")
target_link_libraries(quorvel_io PUBLIC quorvel_numeric quorvel_os quorvel_png)
