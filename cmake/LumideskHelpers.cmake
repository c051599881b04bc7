# Helpers shared by every folder of the tree.

# Adds every immediate sub-folder that has a CMakeLists.txt, in name order. Lets each area of the
# tree own its own folder without touching its parent's CMakeLists.txt.
macro(lumidesk_add_subdirectories)
    file(GLOB _lumidesk_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT _lumidesk_children)
    foreach(_child IN LISTS _lumidesk_children)
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_child}
           AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt)
            add_subdirectory(${_child})
        endif()
    endforeach()
endmacro()

set(LUMIDESK_TEST_SUPPORT_DIR ${CMAKE_SOURCE_DIR}/tests/support)
set(LUMIDESK_TEST_RUNNER ${CMAKE_SOURCE_DIR}/cmake/run-test.sh)
# Window tests take fixed display numbers from here up, so parallel tests never race for one; a second
# build tree tested at the same time on one machine gives itself another base.
set(LUMIDESK_DISPLAY_BASE 600 CACHE STRING "First X display number the window tests use")
set_property(GLOBAL PROPERTY LUMIDESK_NEXT_DISPLAY ${LUMIDESK_DISPLAY_BASE})

# lumidesk_add_test(<name> SOURCES <files...> [LIBS <targets...>] [XVFB] [REALTIME] [TIMEOUT <s>]
#                   [LEAK_CHECKS] [UNSANITIZED <reason>] [ENV <VAR=value...>])
#
# A Qt Test executable registered with CTest. Every test runs in a fresh private HOME with its own XDG
# folders (cmake/run-test.sh), which also fails it on a skip that is not allowed there or on any sanitizer
# report. Widget tests use the offscreen platform; XVFB tests get a virtual X display of 1920x1080 of
# their own (a fixed display number per test, so parallel runs never race for one). Tests carry the
# label "xvfb" or "nodisplay", so a run can pick those that need no display (ctest -L nodisplay).
# REALTIME tests measure frame rates against the clock (recording pace, capture rates): they run alone,
# so that the encoders of parallel tests cannot starve them, and carry the label "realtime".
#
# In a sanitizer build (LUMIDESK_SANITIZE) every test runs under AddressSanitizer and UBSan. LeakSanitizer
# checks only LEAK_CHECKS tests (label "leakcheck"): tests whose code has ownership rules worth checking
# and frees what it makes before the process ends. Elsewhere the process-wide singletons and Qt's platform
# plug-ins, which are never freed, would bury any real report. cmake/lsan.supp holds what Qt itself
# leaves. UNSANITIZED names why a test cannot run under the sanitizers: a sanitizer build keeps it as a
# disabled test, listed in ctest's summary as not run.
function(lumidesk_add_test name)
    cmake_parse_arguments(T "XVFB;REALTIME;LEAK_CHECKS" "TIMEOUT;UNSANITIZED" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${LUMIDESK_TEST_SUPPORT_DIR})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    if(T_XVFB)
        get_property(_display GLOBAL PROPERTY LUMIDESK_NEXT_DISPLAY)
        math(EXPR _next "${_display} + 1")
        set_property(GLOBAL PROPERTY LUMIDESK_NEXT_DISPLAY ${_next})
        add_test(NAME ${name} COMMAND ${LUMIDESK_TEST_RUNNER} --xvfb ${_display} $<TARGET_FILE:${name}>)
        set(_platform QT_QPA_PLATFORM=xcb)
        set(_label xvfb)
    else()
        add_test(NAME ${name} COMMAND ${LUMIDESK_TEST_RUNNER} $<TARGET_FILE:${name}>)
        set(_platform QT_QPA_PLATFORM=offscreen)
        set(_label nodisplay)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    if(T_REALTIME)
        list(APPEND _label realtime)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
    set(_leaks)
    if(T_LEAK_CHECKS)
        list(APPEND _label leakcheck)
        set(_leaks LUMIDESK_LEAK_CHECKS=1)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${_label}"
        ENVIRONMENT "${_platform};LUMIDESK_SOURCE_DIR=${CMAKE_SOURCE_DIR};LUMIDESK_BINARY_DIR=${CMAKE_BINARY_DIR};${_leaks};${T_ENV}")
    if(T_UNSANITIZED)
        lumidesk_unsanitized_test(${name} "${T_UNSANITIZED}")
    endif()
endfunction()

# In a sanitizer build, keeps a test that cannot run under the sanitizers as a disabled one, and says why
# when the build is configured.
function(lumidesk_unsanitized_test name reason)
    if(LUMIDESK_SANITIZE)
        set_tests_properties(${name} PROPERTIES DISABLED TRUE)
        message(STATUS "${name} does not run under the sanitizers: ${reason}")
    endif()
endfunction()
