# Editor: full and single-knob repaints on the real skin, beside pixman; lock hold time.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TAV_BENCH_EDITOR_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
add_executable(bench_editor editor_bench.cpp pixman_image.cpp)
target_link_libraries(bench_editor PRIVATE tav_bench_ratio tav_editor tav_warnings benchmark::benchmark
                      PkgConfig::TAV_BENCH_EDITOR_PIXMAN)
target_include_directories(bench_editor PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(bench_editor PRIVATE TAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
