# Runs one command with the real-time checker preloaded and checks what it says:
#   cmake -DCHECKER=lib.so -DEXPECT=clean|CALL [-DALLOW=...] [-DEMULATOR=...]
#         [-DRUNTIME=libasan.so]
#         [-DWANT=state,program,editor] -P realtime_run.cmake -- PROGRAM ARGS...
# clean: exit 0, the checker checked callbacks and caught nothing, and a --stress
# run did at least one round; as WANT lists, the rounds asked for (--stress-rounds),
# each with a state reload and a program change, and at least three editor cycles.
# CALL: the checker caught CALL and failed the process.
set(preload "${CHECKER}")
if(RUNTIME)
    set(preload "${RUNTIME}:${CHECKER}")
endif()
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
# gets the libraries: a static qemu ignores them, cmake itself never sees them. A
# sanitizer's runtime goes first, as it must.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LD_PRELOAD=${preload} TAV_RT_ALLOW=${ALLOW}
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
    string(REGEX MATCH "--stress-rounds;([0-9]+)" wanted "${command}")
    set(wanted ${CMAKE_MATCH_1})
    set(counts "stress: ([0-9]+) rounds beside the audio: ([0-9]+) state reloads, ")
    string(APPEND counts "([0-9]+) program changes, ([0-9]+) editor cycles")
    string(REGEX MATCH "${counts}" counts "${out}")
    set(rounds ${CMAKE_MATCH_1})
    set(reloads ${CMAKE_MATCH_2})
    set(programs ${CMAKE_MATCH_3})
    set(editors ${CMAKE_MATCH_4})
    if(WANT AND rounds LESS wanted)
        message(FATAL_ERROR "${rounds} of ${wanted} stress rounds")
    endif()
    if(WANT MATCHES "state" AND NOT reloads EQUAL rounds)
        message(FATAL_ERROR "not a state reload in every stress round")
    endif()
    if(WANT MATCHES "program" AND NOT programs EQUAL rounds)
        message(FATAL_ERROR "not a program change in every stress round")
    endif()
    if(WANT MATCHES "editor" AND editors LESS 3)
        message(FATAL_ERROR "fewer than three editor cycles in the stress")
    endif()
else()
    if(NOT status EQUAL 86 OR NOT err MATCHES "calls inside audio callbacks: .*${EXPECT} x1")
        message(FATAL_ERROR "the checker missed ${EXPECT} (exit status ${status})")
    endif()
endif()
