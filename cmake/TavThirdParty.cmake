# GoogleTest from Debian's source package, built with whichever compiler this tree uses.
if(TAV_BUILD_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
endif()

# libpng + zlib. Natively the system's; for Windows zlib is MinGW's static libz and
# libpng is compiled here from the 1.6 source that ./run fetches.
if(WIN32)
    find_library(TAV_ZLIB_STATIC NAMES libz.a z REQUIRED)
    add_library(tav_zlib STATIC IMPORTED)
    set_target_properties(tav_zlib PROPERTIES IMPORTED_LOCATION "${TAV_ZLIB_STATIC}")

    set(_png "${TAV_LIBPNG_SOURCE_DIR}")
    if(NOT EXISTS "${_png}/png.c")
        message(FATAL_ERROR "libpng source not found in ${_png}; run ./run build first")
    endif()
    configure_file("${_png}/scripts/pnglibconf.h.prebuilt"
                   "${CMAKE_BINARY_DIR}/_deps/libpng/pnglibconf.h" COPYONLY)
    add_library(tav_png STATIC
        ${_png}/png.c ${_png}/pngerror.c ${_png}/pngget.c ${_png}/pngmem.c
        ${_png}/pngpread.c ${_png}/pngread.c ${_png}/pngrio.c ${_png}/pngrtran.c
        ${_png}/pngrutil.c ${_png}/pngset.c ${_png}/pngtrans.c ${_png}/pngwio.c
        ${_png}/pngwrite.c ${_png}/pngwtran.c ${_png}/pngwutil.c)
    target_include_directories(tav_png SYSTEM PUBLIC "${_png}" "${CMAKE_BINARY_DIR}/_deps/libpng")
    target_compile_definitions(tav_png PRIVATE PNG_ARM_NEON_OPT=0 PNG_INTEL_SSE_OPT=0)
    target_compile_options(tav_png PRIVATE -w)
    target_link_libraries(tav_png PUBLIC tav_zlib)
else()
    find_package(PNG REQUIRED)
    add_library(tav_png INTERFACE)
    target_link_libraries(tav_png INTERFACE PNG::PNG)
endif()
