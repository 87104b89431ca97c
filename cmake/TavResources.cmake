# tav_add_png_resources(<target> <script.rc>)
# tav_add_png_resources(<target> <id> <file.png> [<id> <file.png> ...])
#
# Puts PNG images into <target> as resources of type "PNG" under integer numbers, for
# LoadPngResource. On Windows they are compiled with windres into the module's resource
# section. Elsewhere the same files become byte arrays in a generated source that
# enters them into the binary's embedded table at start-up; the target then links
# tav_raster. A script names one image per line: `<id> PNG "<file>"`, paths relative
# to the script. Use it on the final module or program, not on a static library
# (the linker would drop the unreferenced table).
include_guard(GLOBAL)

function(tav_add_png_resources target)
    set(embed_script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/TavEmbedResources.cmake")
    set(args ${ARGN})
    list(LENGTH args count)
    if(count EQUAL 0)
        message(FATAL_ERROR "tav_add_png_resources(${target}): no resources given")
    endif()

    get_property(serial TARGET ${target} PROPERTY TAV_PNG_RESOURCE_SERIAL)
    if(NOT serial)
        set(serial 0)
    endif()
    math(EXPR next "${serial} + 1")
    set_property(TARGET ${target} PROPERTY TAV_PNG_RESOURCE_SERIAL ${next})
    set(stem "${CMAKE_CURRENT_BINARY_DIR}/${target}_png_resources_${serial}")

    # Normalise both forms to a list of id/absolute-path pairs.
    set(pairs)
    set(script "")
    if(count EQUAL 1)
        get_filename_component(script "${args}" ABSOLUTE)
        get_filename_component(script_dir "${script}" DIRECTORY)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${script}")
        file(STRINGS "${script}" lines)
        foreach(line IN LISTS lines)
            if(line MATCHES "^[ \t]*([0-9]+)[ \t]+PNG[ \t]+\"([^\"]+)\"")
                get_filename_component(path "${CMAKE_MATCH_2}" ABSOLUTE BASE_DIR "${script_dir}")
                list(APPEND pairs "${CMAKE_MATCH_1}" "${path}")
            endif()
        endforeach()
    else()
        math(EXPR odd "${count} % 2")
        if(odd)
            message(FATAL_ERROR "tav_add_png_resources(${target}): expected <id> <file> pairs")
        endif()
        math(EXPR last "${count} - 1")
        foreach(i RANGE 0 ${last} 2)
            math(EXPR j "${i} + 1")
            list(GET args ${i} id)
            list(GET args ${j} file)
            get_filename_component(path "${file}" ABSOLUTE)
            list(APPEND pairs "${id}" "${path}")
        endforeach()
    endif()

    list(LENGTH pairs pair_count)
    if(pair_count EQUAL 0)
        message(FATAL_ERROR "tav_add_png_resources(${target}): no `<id> PNG \"<file>\"` lines")
    endif()
    set(files)
    math(EXPR last "${pair_count} - 1")
    foreach(i RANGE 1 ${last} 2)
        list(GET pairs ${i} path)
        list(APPEND files "${path}")
    endforeach()

    if(WIN32)
        if(NOT script)
            set(script "${stem}.rc")
            set(text "")
            foreach(i RANGE 0 ${last} 2)
                math(EXPR j "${i} + 1")
                list(GET pairs ${i} id)
                list(GET pairs ${j} path)
                string(APPEND text "${id} PNG \"${path}\"\n")
            endforeach()
            file(WRITE "${script}.in" "${text}")
            configure_file("${script}.in" "${script}" COPYONLY)
        endif()
        set(windres "${CMAKE_RC_COMPILER}")
        if(NOT windres)
            find_program(windres NAMES x86_64-w64-mingw32-windres windres REQUIRED)
        endif()
        get_filename_component(script_dir "${script}" DIRECTORY)
        add_custom_command(OUTPUT "${stem}.res.o"
            COMMAND "${windres}" -O coff -I "${script_dir}" -i "${script}" -o "${stem}.res.o"
            WORKING_DIRECTORY "${script_dir}"
            DEPENDS "${script}" ${files}
            COMMENT "Compiling PNG resources for ${target}"
            VERBATIM)
        set_source_files_properties("${stem}.res.o" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
        target_sources(${target} PRIVATE "${stem}.res.o")
    else()
        # '|' separates the pairs: a ';' would split the command line.
        string(REPLACE ";" "|" packed "${pairs}")
        add_custom_command(OUTPUT "${stem}.cpp"
            COMMAND "${CMAKE_COMMAND}" "-DOUTPUT=${stem}.cpp" "-DPAIRS=${packed}" -P "${embed_script}"
            DEPENDS ${files} "${embed_script}"
            COMMENT "Embedding PNG resources for ${target}"
            VERBATIM)
        target_sources(${target} PRIVATE "${stem}.cpp")
        target_link_libraries(${target} PRIVATE tav_raster)
    endif()
endfunction()
