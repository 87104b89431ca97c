# Phaser engine: block processing per stereo frame, and FP add/mul latency for scale.
add_executable(bench_effect effect_bench.cpp)
target_link_libraries(bench_effect PRIVATE tav_bench_support tav_phaser tav_warnings benchmark::benchmark)
target_include_directories(bench_effect PRIVATE ${CMAKE_SOURCE_DIR})
