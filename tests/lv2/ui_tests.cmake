# The UI binary: its one export, and the face through a small LV2 UI host in real
# X11 windows on a private Xvfb.
if(TARGET Tavrellion_lv2_ui)
    add_test(NAME Tavrellion_lv2_ui_exports
        COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:Tavrellion_lv2_ui> -DTOOL=${TAV_NM}
                -DKIND=elf -DEXPECTED=lv2ui_descriptor
                -P ${CMAKE_SOURCE_DIR}/cmake/TavCheckExports.cmake)
endif()

if(TARGET Tavrellion_lv2_ui AND TARGET Tavrellion)
    include(TavDisplayTest)
    find_package(X11 REQUIRED)
    tav_add_display_test(lv2_ui_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/lv2_ui_host.cpp ${CMAKE_CURRENT_LIST_DIR}/lv2_ui_test.cpp
                ${CMAKE_SOURCE_DIR}/tests/support/editor_cycles.cpp
                ${CMAKE_SOURCE_DIR}/tests/support/editor_cycles_posix.cpp
                ${CMAKE_SOURCE_DIR}/tests/editor_x11/process_counts.cpp
        LIBS tav_vsthost tav_effect ${CMAKE_DL_LIBS}
        ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
    # The font and X libraries stay loaded after the binary goes, as in a host.
    target_link_options(lv2_ui_tests PRIVATE "LINKER:--no-as-needed")
    target_link_libraries(lv2_ui_tests PRIVATE PkgConfig::TAV_FREETYPE X11::Xext)
    target_compile_definitions(lv2_ui_tests PRIVATE
        TAV_LV2_UI_BINARY="$<TARGET_FILE:Tavrellion_lv2_ui>"
        TAV_VST2_MODULE="$<TARGET_FILE:Tavrellion>")
    add_dependencies(lv2_ui_tests Tavrellion_lv2_ui Tavrellion)
endif()
