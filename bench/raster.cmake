# Raster: our blits, fill and PNG decoding side by side with pixman and libspng.
pkg_check_modules(TAV_BENCH_SPNG REQUIRED IMPORTED_TARGET spng)
add_executable(bench_raster raster_bench.cpp raster_bench_images.cpp)
target_link_libraries(bench_raster PRIVATE tav_bench_support tav_bench_pixman tav_raster tav_png
                      tav_warnings benchmark::benchmark PkgConfig::TAV_BENCH_SPNG)
target_include_directories(bench_raster PRIVATE ${CMAKE_SOURCE_DIR})

# Font: the glyph cache against FreeType used directly.
add_executable(bench_font font_bench.cpp)
target_link_libraries(bench_font PRIVATE tav_bench_support tav_raster tav_warnings benchmark::benchmark
                      PkgConfig::TAV_FREETYPE)
target_include_directories(bench_font PRIVATE ${CMAKE_SOURCE_DIR})
