# The plug-in's process callbacks end to end, per stereo frame.
# LV2 through the DSP binary's own lv2_descriptor, linked in as CLAP's entry is.
add_executable(bench_host host_bench.cpp ${CMAKE_SOURCE_DIR}/clap/module_entry.cpp
    ${CMAKE_SOURCE_DIR}/lv2/lv2_entry.cpp)
target_link_libraries(bench_host PRIVATE tav_bench_support tav_vstclass tav_vst3 tav_vst3host
    tav_clap tav_claphost tav_lv2 tav_warnings benchmark::benchmark)
target_compile_definitions(bench_host PRIVATE TAV_VERSION_STRING="${PROJECT_VERSION}")
target_include_directories(bench_host PRIVATE ${CMAKE_SOURCE_DIR})
