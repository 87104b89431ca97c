# tav_add_test(<name> SOURCES ... LIBS ... [WINE_DISPLAY])
# One test program per call. Natively each GoogleTest case becomes a CTest test;
# the Windows build runs the whole program under Wine as one CTest test, since
# starting Wine once per case would cost seconds each.
include(GoogleTest)

function(tav_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;DATA_ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main
                          tav_warnings tav_platform)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE
        TAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TAV_BINARY_DIR="${CMAKE_BINARY_DIR}")
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 ENVIRONMENT "${T_DATA_ENV}")
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
            PROPERTIES TIMEOUT 900 ENVIRONMENT "${T_DATA_ENV}")
    endif()
endfunction()
