# Warnings are errors in project code (third-party targets do not use this).
add_library(tav_warnings INTERFACE)
target_compile_options(tav_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wcast-align
    -Wformat=2 -Wimplicit-fallthrough -Werror
    # clang (fuzz preset) spells GCC's -Wshadow=local differently.
    $<IF:$<CXX_COMPILER_ID:Clang>,-Wshadow-uncaptured-local,-Wshadow=local>)

# Project code links this to get the platform it is built for.
add_library(tav_platform INTERFACE)
if(WIN32)
    target_compile_definitions(tav_platform INTERFACE
        TAV_PLATFORM_WIN32=1 WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
elseif(TAV_WEB)
    # One thread (the AudioWorklet's) does everything; no system beneath.
    target_compile_definitions(tav_platform INTERFACE TAV_PLATFORM_WEB=1)
else()
    target_compile_definitions(tav_platform INTERFACE TAV_PLATFORM_POSIX=1)
    find_package(Threads REQUIRED)
    target_link_libraries(tav_platform INTERFACE Threads::Threads ${CMAKE_DL_LIBS})
endif()

# Picks the platform file of a seam: name_win32.cpp on Windows, name_web.cpp in the
# browser where the seam has one (elsewhere the browser shares the POSIX file, which
# then needs nothing of the system), name_posix.cpp elsewhere.
function(tav_platform_source out base)
    if(WIN32)
        set(${out} "${base}_win32.cpp" PARENT_SCOPE)
    elseif(TAV_WEB AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${base}_web.cpp")
        set(${out} "${base}_web.cpp" PARENT_SCOPE)
    else()
        set(${out} "${base}_posix.cpp" PARENT_SCOPE)
    endif()
endfunction()
