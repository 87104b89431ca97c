# tav_add_vst_module(<target> <output-name> LIBS <libs>...)
# Builds a VST 2.4 plug-in module at the top of the build tree: <output-name>.so
# natively, <output-name>.dll for Windows. LIBS must provide
# tav::CreateEffectInstance (vst2/module_entry.h). The module exports exactly
# VSTPluginMain and main: a linker version script natively, a .def file for Windows.
function(tav_add_vst_module target output_name)
    cmake_parse_arguments(M "" "" "LIBS" ${ARGN})
    set(_host "${CMAKE_SOURCE_DIR}/vst2")
    add_library(${target} MODULE "${_host}/vst_entry.cpp" "${_host}/vst_entry_legacy.cpp")
    target_link_libraries(${target} PRIVATE ${M_LIBS} tav_vst tav_warnings tav_platform)
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        OUTPUT_NAME "${output_name}"
        LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
        RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
    if(WIN32)
        target_sources(${target} PRIVATE "${_host}/vst_module.def")
        set_target_properties(${target} PROPERTIES SUFFIX ".dll")
    else()
        target_link_options(${target} PRIVATE
            "LINKER:--version-script=${_host}/vst_module.map" "LINKER:--no-undefined")
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${_host}/vst_module.map")
        set_target_properties(${target} PROPERTIES SUFFIX ".so")
    endif()
endfunction()
