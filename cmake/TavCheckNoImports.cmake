# cmake -DMODULE=<file.wasm> -P TavCheckNoImports.cmake
# Fails (and removes the module) when it imports anything: a page's module has no
# WASI beneath it, so any import would stop it from instantiating.
execute_process(COMMAND wasm-objdump -h "${MODULE}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${MODULE}")
    message(FATAL_ERROR "wasm-objdump cannot read ${MODULE}")
endif()
# Without imports the section is missing altogether (wasm-objdump then says so).
execute_process(COMMAND wasm-objdump -x -j Import "${MODULE}"
    OUTPUT_VARIABLE listing ERROR_VARIABLE ignored)
if(headers MATCHES "Import start=" OR listing MATCHES "Import\\[[1-9]")
    file(REMOVE "${MODULE}")
    message(FATAL_ERROR "${MODULE} imports:\n${listing}")
endif()
file(SIZE "${MODULE}" size)
get_filename_component(name "${MODULE}" NAME)
message(STATUS "${name}: ${size} bytes, no imports")
