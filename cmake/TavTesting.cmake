# tav_add_test(<name> SOURCES ... LIBS ... [WINE_DISPLAY])
# One test program per call. Natively each GoogleTest case becomes a CTest test;
# cross builds run the whole program under their emulator (Wine, qemu-user) as one
# CTest test, since starting the emulator once per case would cost seconds each.
# WINE_DISPLAY runs it on a private Xvfb display with a Wine prefix of its own, one
# such test at a time (programs that open windows).
include(GoogleTest)

# The symbol lister for the export checks: the cross toolchain's own for ELF.
set(TAV_NM "${CMAKE_NM}")

# For add_test() calls of Windows programs that open windows: the command prefix.
if(WIN32)
    set(TAV_WINE_DISPLAY_EMULATOR
        "${CMAKE_SOURCE_DIR}/cmake/wine-display-run" "${CMAKE_BINARY_DIR}/wineprefix-display")
    set(TAV_WINE_DISPLAY_LOCK wine_display)
endif()

function(tav_add_test name)
    cmake_parse_arguments(T "WINE_DISPLAY" "" "SOURCES;LIBS;DATA_ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main
                          tav_warnings tav_platform)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE
        TAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TAV_BINARY_DIR="${CMAKE_BINARY_DIR}")
    if(WIN32 AND T_WINE_DISPLAY)
        add_test(NAME ${name} COMMAND ${TAV_WINE_DISPLAY_EMULATOR} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 ENVIRONMENT "${T_DATA_ENV}"
                             RESOURCE_LOCK ${TAV_WINE_DISPLAY_LOCK})
    elseif(CMAKE_CROSSCOMPILING)
        if(NOT WIN32)
            list(APPEND T_DATA_ENV "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config"
                 TAV_UNDER_EMULATOR=1)
        endif()
        add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 ENVIRONMENT "${T_DATA_ENV}")
    else()
        # The user's own editor settings stay out of every test (Wine's prefix is the
        # build tree's own already).
        set(_env ${T_DATA_ENV} "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
            PROPERTIES TIMEOUT 900 ENVIRONMENT "${_env}")
    endif()
endfunction()
