# zelto_library(<name> SOURCES ... LIBS ...): a static library of one layer folder. Its headers are
# found through its own folder and those of the libraries it links, nothing else: an include of a
# layer it does not link fails to compile.
function(zelto_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_LIBS})
endfunction()

# zelto_test(<name> SOURCES ... LIBS ... [TIMEOUT s] [PERF function...]): one Qt Test executable
# run headless by CTest, labelled with its folder's level, ZELTO_TEST_LEVEL (unit, gui or
# reliability), so that `ctest -L <level>` runs one level alone. The test functions named after
# PERF assert on elapsed time: they skip themselves in that run and run again as <name>_perf,
# labelled perf, alone (RUN_SERIAL) and with ZELTO_PERF set (tests/support/PerfLevel.h).
function(zelto_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;PERF" ${ARGN})
    if(NOT ZELTO_TEST_LEVEL)
        message(FATAL_ERROR "zelto_test(${name}): set ZELTO_TEST_LEVEL in its folder")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(environment "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;ZELTO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS ${ZELTO_TEST_LEVEL}
        ENVIRONMENT "${environment}")
    if(ARG_PERF)
        add_test(NAME ${name}_perf COMMAND ${name} ${ARG_PERF})
        set_tests_properties(${name}_perf PROPERTIES
            TIMEOUT ${ARG_TIMEOUT}
            LABELS perf
            RUN_SERIAL TRUE
            ENVIRONMENT "${environment};ZELTO_PERF=1")
    endif()
endfunction()
