# tav_add_display_test(<name> SOURCES ... LIBS ...)
# A native test program that needs an X display: the whole program runs as one
# CTest test on a private Xvfb server of its own (xvfb-run -a), so that XTest input
# never reaches a desktop and parallel tests never share a pointer. -noreset: the
# server would otherwise restart whenever its last client leaves, and refuse the next.
function(tav_add_display_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main
                          tav_warnings tav_platform)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE
        TAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TAV_BINARY_DIR="${CMAKE_BINARY_DIR}")
    find_program(TAV_XVFB_RUN xvfb-run REQUIRED)
    add_test(NAME ${name}
        COMMAND ${TAV_XVFB_RUN} -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset"
                ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
    # The user's own editor settings stay out of the test.
    set(_env ${T_ENVIRONMENT} "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
    if(CMAKE_CROSSCOMPILING)
        list(APPEND _env TAV_UNDER_EMULATOR=1)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 900 ENVIRONMENT "${_env}")
endfunction()
