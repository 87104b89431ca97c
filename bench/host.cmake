# The plug-in's process callbacks end to end, per stereo frame.
add_executable(bench_host host_bench.cpp)
target_link_libraries(bench_host PRIVATE tav_bench_support tav_vstclass tav_vst3 tav_vst3host tav_warnings
    benchmark::benchmark)
target_include_directories(bench_host PRIVATE ${CMAKE_SOURCE_DIR})
