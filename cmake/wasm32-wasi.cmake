# WebAssembly for the browser: Debian's clang 16 for wasm32 against Debian's
# wasi-libc and libc++ for wasm32. The module runs in an AudioWorklet, where no
# WASI host exists: it is built as a reactor that imports nothing.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(TAV_WEB ON)

set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_SYSROOT /usr)
# The sysroot's wasm32 headers and libraries sit in a multiarch folder.
# Features every browser with AudioWorklet has: float-to-integer conversions that
# need no range checks around them, block copies and fills as instructions.
set(TAV_WASM_FEATURES "-mnontrapping-fptoint -mbulk-memory -msign-ext -mmutable-globals")
set(CMAKE_C_FLAGS_INIT "-isystem /usr/include/wasm32-wasi ${TAV_WASM_FEATURES}")
set(CMAKE_CXX_FLAGS_INIT
    "-isystem /usr/lib/llvm-16/include/wasm32-wasi/c++/v1 -isystem /usr/include/wasm32-wasi ${TAV_WASM_FEATURES}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L/usr/lib/wasm32-wasi -L/usr/lib/llvm-16/lib/wasm32-wasi")
set(CMAKE_EXECUTABLE_SUFFIX ".wasm")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
