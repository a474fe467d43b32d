# Settings shared by every Windows target: wide-character Win32, static runtime, no DLLs of our own.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_compile_options(-Wall -Wextra -fno-exceptions -fno-rtti)
add_link_options(-static -static-libgcc -static-libstdc++)

configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h)
include_directories(${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

# A GUI program of ours: wWinMain entry, Windows subsystem, its resource script.
function(sweeply_add_gui_program name)
    cmake_parse_arguments(P "" "RC" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} WIN32 ${P_SOURCES} ${P_RC})
    target_link_options(${name} PRIVATE -municode -mwindows)
    target_link_libraries(${name} PRIVATE ${P_LIBS})
endfunction()
