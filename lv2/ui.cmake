# The UI binary Tavrellion_ui.so in the bundle: the face in the host's X11 window,
# with an effect core of its own that never processes audio. Only lv2ui_descriptor
# is exported.
add_library(Tavrellion_lv2_ui MODULE lv2_ui.cpp lv2_ui_effect.cpp
    lv2_ui_entry.cpp)
target_include_directories(Tavrellion_lv2_ui PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(Tavrellion_lv2_ui PRIVATE
    tav_effect tav_effect_window tav_embedded_editor tav_core tav_platform tav_warnings)
set_target_properties(Tavrellion_lv2_ui PROPERTIES PREFIX "" OUTPUT_NAME Tavrellion_ui
    LIBRARY_OUTPUT_DIRECTORY "${TAV_LV2_BUNDLE}")
# The skin: resources 100-103, as in the other modules.
include(TavResources)
tav_add_png_resources(Tavrellion_lv2_ui "${CMAKE_SOURCE_DIR}/img/skin.rc")
target_link_options(Tavrellion_lv2_ui PRIVATE
    "LINKER:--version-script=${CMAKE_CURRENT_SOURCE_DIR}/ui.map" "LINKER:--no-undefined")
set_property(TARGET Tavrellion_lv2_ui APPEND PROPERTY LINK_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/ui.map")
