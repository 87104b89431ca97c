# The Linux editor window: moving the canvas to the X server, through shared memory
# and through a plain XPutImage. Needs a display (./run bench starts a private one).
if(TARGET tav_editor_x11)
    find_package(X11 REQUIRED)
    add_executable(bench_editor_x11 editor_x11_bench.cpp)
    target_link_libraries(bench_editor_x11 PRIVATE tav_editor_x11 X11::X11 tav_warnings
                          benchmark::benchmark)
    target_include_directories(bench_editor_x11 PRIVATE ${CMAKE_SOURCE_DIR})
endif()
