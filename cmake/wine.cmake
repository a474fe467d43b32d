# Tests of Windows programs run under Wine: one private prefix and Xvfb display per build tree,
# started by a fixture before the first test and shut down after the last.
set(SWEEPLY_WINE_HOME ${CMAKE_BINARY_DIR}/wine)
set(wrapper ${CMAKE_BINARY_DIR}/wine-run)
file(WRITE ${wrapper}
    "#!/bin/sh\nSWEEPLY_WINE_HOME='${SWEEPLY_WINE_HOME}' exec '${CMAKE_SOURCE_DIR}/tools/wine-run' \"$@\"\n")
file(CHMOD ${wrapper} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
     WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${wrapper})

add_test(NAME wine.start COMMAND ${wrapper} --start)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME wine.stop COMMAND ${wrapper} --stop)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# A GoogleTest executable run under Wine. SERIAL for tests that look at windows of the display.
function(sweeply_add_test name)
    cmake_parse_arguments(T "SERIAL" "TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE sweeply_test_support GTest::gtest_main ${T_LIBS})
    if(T_DEPENDS)
        add_dependencies(${name} ${T_DEPENDS})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT})
    if(T_SERIAL)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
    endif()
endfunction()
