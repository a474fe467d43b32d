# Settings shared by every Windows target: wide-character Win32, static runtime, no DLLs of our own.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_compile_options(-Wall -Wextra -fno-exceptions -fno-rtti)
add_link_options(-static -static-libgcc -static-libstdc++)

configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h)
include_directories(${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

# Delay-import libraries for the system DLLs that are not on Windows' known-DLL list: Windows
# looks for such a DLL in the program's own folder first, so a program binds them on first use,
# after its entry has limited the DLL search to the system folder. Each library is made with
# dlltool from the functions of mingw's own import library and lies in delayimp/ under the name
# of that import library, so that -l finds it first for every library that links the DLL.
set(SWEEPLY_DELAY_IMPORT_DIR ${CMAKE_BINARY_DIR}/delayimp)
# The system DLLs our programs link that are not known DLLs (Windows Vista and later).
set(SWEEPLY_DELAY_LOADED_DLLS gdiplus version)

function(sweeply_delay_import_library dll)
    if(TARGET sweeply_delayimp_${dll})
        return()
    endif()
    find_library(import_${dll} ${dll} REQUIRED NO_CACHE)
    execute_process(COMMAND ${CMAKE_NM} --defined-only ${import_${dll}}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "__imp__[A-Za-z0-9_]+@[0-9]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^__imp__" "")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n" exports)
    set(def ${SWEEPLY_DELAY_IMPORT_DIR}/${dll}.def)
    # Written only when it changed, so that a new configure does not relink the programs.
    file(WRITE ${def}.new "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    file(COPY_FILE ${def}.new ${def} ONLY_IF_DIFFERENT)
    set(library ${SWEEPLY_DELAY_IMPORT_DIR}/lib${dll}.a)
    # Run in that folder: dlltool names the library's symbols after the output path it is given.
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${dll}.def --dllname ${dll}.dll
                --output-delaylib lib${dll}.a
        WORKING_DIRECTORY ${SWEEPLY_DELAY_IMPORT_DIR}
        DEPENDS ${def}
        COMMENT "Making the delay-import library of ${dll}.dll"
        VERBATIM)
    add_custom_target(sweeply_delayimp_${dll} DEPENDS ${library})
endfunction()

# Links `target` with the delay-import libraries of the DLLs named after it; the DLLs themselves
# stay linked by name where the code that calls them is.
function(sweeply_delay_load target)
    foreach(dll ${ARGN})
        sweeply_delay_import_library(${dll})
        add_dependencies(${target} sweeply_delayimp_${dll})
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
                     ${SWEEPLY_DELAY_IMPORT_DIR}/lib${dll}.a)
    endforeach()
    target_link_directories(${target} BEFORE PRIVATE ${SWEEPLY_DELAY_IMPORT_DIR})
endfunction()

# A GUI program of ours: wWinMain entry, Windows subsystem, its resource script, and the DLLs
# that are not known DLLs bound on first use.
function(sweeply_add_gui_program name)
    cmake_parse_arguments(P "" "RC" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} WIN32 ${P_SOURCES} ${P_RC})
    target_link_options(${name} PRIVATE -municode -mwindows)
    target_link_libraries(${name} PRIVATE ${P_LIBS})
    sweeply_delay_load(${name} ${SWEEPLY_DELAY_LOADED_DLLS})
endfunction()
