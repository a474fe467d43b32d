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

# Registers test NAME running the command ARGN, a GoogleTest program under Wine. Its exit code
# alone proves nothing: Wine's debugger may end a crashed program with 0. So the test passes only
# on GoogleTest's summary of at least one passed case (a run of nothing, or of skipped cases only,
# proves nothing either) and fails on any failed case, on wine-run's note of a non-zero exit code
# (which the summary rule would otherwise ignore) and on Wine's note of an unhandled exception in
# any process of the test. Wine's notes of its own stubs are left alone: a test calls one on
# purpose.
function(sweeply_add_gtest_run name)
    add_test(NAME ${name} COMMAND ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
        PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9][0-9]* tests?\\."
        FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];wine: Unhandled;wine-run: exit code")
endfunction()

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
    sweeply_add_gtest_run(${name} ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_SERIAL)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
    endif()
endfunction()
