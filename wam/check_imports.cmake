# The AudioWorklet gives a module nothing to import: one that asks for anything
# (a WASI call pulled in by the C library) would fail to instantiate in the page.
execute_process(COMMAND "${OBJDUMP}" -x -j Import "${MODULE}"
    OUTPUT_VARIABLE listing RESULT_VARIABLE failed ERROR_VARIABLE errors)
string(REGEX MATCHALL "- func\\[[0-9]+\\][^\n]*|- global\\[[0-9]+\\][^\n]*|- memory\\[[0-9]+\\][^\n]*|- table\\[[0-9]+\\][^\n]*"
    imports "${listing}")
if(NOT imports AND listing MATCHES "Import\\[[1-9]")
    set(imports "${listing}")
endif()
if(imports)
    string(REPLACE ";" "\n  " shown "${imports}")
    message(FATAL_ERROR "${MODULE} imports what the worklet cannot give:\n  ${shown}")
endif()
file(SIZE "${MODULE}" size)
message(STATUS "tavrellion.wasm: ${size} bytes, no imports")
