# GoogleTest from Debian's source package, built with whichever compiler this tree uses.
if(TAV_BUILD_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
endif()

# tav_add_libpng_from_source(<target> <zlib target> [options...]): libpng compiled
# from the 1.6 source that ./run fetches, with its prebuilt configuration; extra
# arguments are compile options (the fuzz build instruments it).
function(tav_add_libpng_from_source target zlib)
    set(dir "${TAV_LIBPNG_SOURCE_DIR}")
    if(NOT EXISTS "${dir}/png.c")
        message(FATAL_ERROR "libpng source not found in ${dir}; run ./run setup first")
    endif()
    set(conf "${CMAKE_BINARY_DIR}/_deps/${target}")
    configure_file("${dir}/scripts/pnglibconf.h.prebuilt" "${conf}/pnglibconf.h" COPYONLY)
    add_library(${target} STATIC
        ${dir}/png.c ${dir}/pngerror.c ${dir}/pngget.c ${dir}/pngmem.c
        ${dir}/pngpread.c ${dir}/pngread.c ${dir}/pngrio.c ${dir}/pngrtran.c
        ${dir}/pngrutil.c ${dir}/pngset.c ${dir}/pngtrans.c ${dir}/pngwio.c
        ${dir}/pngwrite.c ${dir}/pngwtran.c ${dir}/pngwutil.c)
    target_include_directories(${target} SYSTEM PUBLIC "${dir}" "${conf}")
    target_compile_definitions(${target} PRIVATE PNG_ARM_NEON_OPT=0 PNG_INTEL_SSE_OPT=0)
    target_compile_options(${target} PRIVATE -w ${ARGN})
    target_link_libraries(${target} PUBLIC ${zlib})
endfunction()

# libpng + zlib. Natively the system's; for Windows zlib is MinGW's static libz and
# libpng is compiled here from the 1.6 source that ./run fetches.
if(WIN32)
    find_library(TAV_ZLIB_STATIC NAMES libz.a z REQUIRED)
    add_library(tav_zlib STATIC IMPORTED)
    set_target_properties(tav_zlib PROPERTIES IMPORTED_LOCATION "${TAV_ZLIB_STATIC}")

    tav_add_libpng_from_source(tav_png tav_zlib)
else()
    find_package(PNG REQUIRED)
    add_library(tav_png INTERFACE)
    target_link_libraries(tav_png INTERFACE PNG::PNG)
endif()
