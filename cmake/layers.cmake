# Build helpers shared by every layer.
#
# project_flags: the one interface target that carries the language level, the warnings (errors
# with TAVREL_WERROR) and the sanitizer switch. Every target of the project links it.
find_package(Threads REQUIRED)
add_library(project_flags INTERFACE)
target_compile_features(project_flags INTERFACE cxx_std_20)
target_link_libraries(project_flags INTERFACE Threads::Threads)
target_compile_options(project_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Wunused -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
    -Wno-multichar)
if(TAVREL_WERROR)
    target_compile_options(project_flags INTERFACE -Werror)
endif()
if(TAVREL_SANITIZE)
    # The standard library's own precondition checks (operator[] in range, front() of a
    # non-empty container, ...) join the sanitizers.
    target_compile_definitions(project_flags INTERFACE _GLIBCXX_ASSERTIONS)
    target_compile_options(project_flags INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(project_flags INTERFACE -fsanitize=address,undefined)
endif()
if(TAVREL_FUZZ)
    # Every library gets the coverage the fuzzers steer by; only the fuzz targets link libFuzzer
    # itself (fuzz/CMakeLists.txt). A sanitizer finding stops the run.
    target_compile_options(project_flags INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    target_link_options(project_flags INTERFACE -fsanitize=address,undefined)
endif()

# Source files of one layer folder: every .cpp below DIR except tests (*_test.cpp) and
# program entry points (main.cpp).
function(layer_sources out dir)
    file(GLOB_RECURSE all CONFIGURE_DEPENDS "${dir}/*.cpp")
    set(result)
    foreach(f IN LISTS all)
        if(NOT f MATCHES "_test\\.cpp$" AND NOT f MATCHES "/main\\.cpp$")
            list(APPEND result "${f}")
        endif()
    endforeach()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

function(layer_test_sources out dir)
    file(GLOB_RECURSE all CONFIGURE_DEPENDS "${dir}/*_test.cpp")
    set(${out} "${all}" PARENT_SCOPE)
endfunction()

# One test executable for a library: every *_test.cpp below DIR, discovered by CTest.
# Every test runs with the offscreen Qt platform so a widget test never needs a display.
function(add_test_program name dir)
    layer_test_sources(tests "${dir}")
    if(NOT tests)
        return()
    endif()
    add_executable(${name} ${tests} ${ARGN})
    target_link_libraries(${name} PRIVATE project_flags testsupport GTest::gtest GTest::gmock
        GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        TAVREL_TEST_DATA="${TAVREL_TEST_DATA}"
        TAVREL_INTEROP_DATA="${TAVREL_INTEROP_DATA}"
        TAVREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
    # The tests read the programs' own (Japanese) texts: the C locale keeps them so whatever the
    # developer's locale, for the programs the tests start too.
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   ENVIRONMENT_MODIFICATION "LC_ALL=set:C.UTF-8")
endfunction()

# A layer library made of every source below DIR, linked to DEPS. A layer that has no sources
# yet is an interface library, so the targets above it link the same way either way.
function(add_layer name dir)
    layer_sources(sources "${dir}")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
        target_link_libraries(${name} PUBLIC project_flags ${ARGN})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE "${CMAKE_SOURCE_DIR}")
        target_link_libraries(${name} INTERFACE project_flags ${ARGN})
    endif()
    add_test_program(${name}_tests "${dir}")
    if(TARGET ${name}_tests)
        target_link_libraries(${name}_tests PRIVATE ${name})
    endif()
endfunction()
