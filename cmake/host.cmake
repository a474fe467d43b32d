# Native build: only the platform-neutral parts, with sanitizers when asked.
add_compile_options(-Wall -Wextra)
include_directories(${CMAKE_SOURCE_DIR})
if(SWEEPLY_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
if(SWEEPLY_FUZZ)
    # Coverage for libFuzzer in every object; the fuzz target itself links the fuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
