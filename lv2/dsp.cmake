# tav_lv2: the LV2 plug-in over the core and the effect, without the editor, so
# that the DSP binary needs no X11, FreeType or fontconfig.
add_library(tav_lv2 STATIC
    ${CMAKE_CURRENT_LIST_DIR}/lv2_core.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lv2_plugin.cpp)
target_include_directories(tav_lv2 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tav_lv2 PUBLIC tav_effect tav_core tav_platform PRIVATE tav_warnings)

# The DSP binary, Tavrellion.so in the bundle; it exports lv2_descriptor alone.
add_library(Tavrellion_lv2 MODULE ${CMAKE_CURRENT_LIST_DIR}/lv2_entry.cpp)
target_link_libraries(Tavrellion_lv2 PRIVATE tav_lv2 tav_warnings tav_platform)
set_target_properties(Tavrellion_lv2 PROPERTIES PREFIX "" OUTPUT_NAME Tavrellion SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY "${TAV_LV2_BUNDLE}")
target_link_options(Tavrellion_lv2 PRIVATE
    "LINKER:--version-script=${CMAKE_CURRENT_LIST_DIR}/lv2_dsp.map" "LINKER:--no-undefined")
set_property(TARGET Tavrellion_lv2 APPEND PROPERTY LINK_DEPENDS
    "${CMAKE_CURRENT_LIST_DIR}/lv2_dsp.map")

# tav_lv2_turtle: the bundle's Turtle, written at build time from the effect's own tables.
add_executable(tav_lv2_turtle ${CMAKE_CURRENT_LIST_DIR}/lv2_turtle.cpp)
target_link_libraries(tav_lv2_turtle PRIVATE tav_lv2 tav_warnings)
target_compile_definitions(tav_lv2_turtle PRIVATE TAV_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    TAV_VERSION_PATCH=${PROJECT_VERSION_PATCH})
set(_lv2_turtle "${TAV_LV2_BUNDLE}/manifest.ttl" "${TAV_LV2_BUNDLE}/Tavrellion.ttl"
    "${TAV_LV2_BUNDLE}/presets.ttl")
add_custom_command(OUTPUT ${_lv2_turtle}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${TAV_LV2_BUNDLE}"
    COMMAND tav_lv2_turtle "${TAV_LV2_BUNDLE}"
    DEPENDS tav_lv2_turtle
    COMMENT "Writing the LV2 bundle's Turtle")
add_custom_target(Tavrellion_lv2_turtle ALL DEPENDS ${_lv2_turtle})
add_dependencies(Tavrellion_lv2 Tavrellion_lv2_turtle)
