# Editor: full and single-knob repaints on the real skin, beside pixman; lock hold time.
add_executable(bench_editor editor_bench.cpp)
target_link_libraries(bench_editor PRIVATE tav_bench_support tav_bench_pixman tav_editor tav_warnings
                      benchmark::benchmark)
target_include_directories(bench_editor PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(bench_editor PRIVATE TAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
