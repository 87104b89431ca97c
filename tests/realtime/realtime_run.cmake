# Runs one command with the real-time checker preloaded and checks what it says:
#   cmake -DCHECKER=lib.so -DEXPECT=clean|CALL [-DALLOW=...] [-DEMULATOR=...]
#         [-DWANT_EDITOR=ON] -P realtime_run.cmake -- PROGRAM ARGS...
# clean: exit 0, the checker checked callbacks and caught nothing, and a --stress
# run did at least one round (and an editor cycle where one is wanted). CALL: the
# checker caught CALL and failed the process.
set(command "")
set(seen_separator OFF)
foreach(i RANGE ${CMAKE_ARGC})
    if(seen_separator AND DEFINED CMAKE_ARGV${i})
        list(APPEND command "${CMAKE_ARGV${i}}")
    elseif("${CMAKE_ARGV${i}}" STREQUAL "--")
        set(seen_separator ON)
    endif()
endforeach()
# Through cmake -E env, so that only the program (or, under qemu-user, the guest)
# gets the library: a static qemu ignores it, cmake itself never sees it.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LD_PRELOAD=${CHECKER} TAV_RT_ALLOW=${ALLOW}
            ${EMULATOR} ${command}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(EXPECT STREQUAL "clean")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "exit status ${status}")
    endif()
    if(NOT err MATCHES "realtime checker: nothing inside audio callbacks, [1-9][0-9]* callbacks")
        message(FATAL_ERROR "the checker did not see clean callbacks")
    endif()
    if(command MATCHES "--stress" AND NOT out MATCHES "stress: [1-9][0-9]* rounds")
        message(FATAL_ERROR "no stress round ran beside the audio")
    endif()
    if(WANT_EDITOR AND NOT out MATCHES " [1-9][0-9]* editor cycles")
        message(FATAL_ERROR "the editor took no part in the stress")
    endif()
else()
    if(NOT status EQUAL 86 OR NOT err MATCHES "calls inside audio callbacks: .*${EXPECT} x1")
        message(FATAL_ERROR "the checker missed ${EXPECT} (exit status ${status})")
    endif()
endif()
