# The DSP binary: its one export, what it needs loaded beside it, its renders
# against the VST 2 module, and the bundle through the LV2 validators and lilv.
if(TARGET Tavrellion_lv2)
    add_test(NAME Tavrellion_lv2_exports
        COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:Tavrellion_lv2> -DTOOL=${TAV_NM}
                -DKIND=elf -DEXPECTED=lv2_descriptor
                -P ${CMAKE_SOURCE_DIR}/cmake/TavCheckExports.cmake)
endif()

if(TARGET Tavrellion_lv2 AND TARGET Tavrellion)
    tav_add_test(lv2_plugin_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/lv2_plugin_test.cpp
        LIBS tav_vsthost ${CMAKE_DL_LIBS})
    target_compile_definitions(lv2_plugin_test PRIVATE
        TAV_LV2_BINARY="$<TARGET_FILE:Tavrellion_lv2>" TAV_VST2_MODULE="$<TARGET_FILE:Tavrellion>")
    add_dependencies(lv2_plugin_test Tavrellion_lv2 Tavrellion)
endif()

# lilv's tools cannot load a binary built with sanitizers (nor would its libraries
# pass), nor a binary of another processor: the plain native build runs these.
if(TARGET Tavrellion_lv2 AND TARGET Tavrellion AND TARGET tavhost AND TARGET tavwav AND
   NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize" AND NOT CMAKE_CROSSCOMPILING)
    add_test(NAME lv2_bundle_check
        COMMAND ${CMAKE_SOURCE_DIR}/checks/check-lv2-bundle ${CMAKE_BINARY_DIR})
    set_tests_properties(lv2_bundle_check PROPERTIES TIMEOUT 300)
endif()
