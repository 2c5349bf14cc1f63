# Installs the build under a fresh prefix and checks that the programs, the sample record, the
# desktop entry, the MIME types and the icon are where a desktop looks for them.
#   cmake -DBUILD=DIR -DPREFIX=DIR -DGUI=ON|OFF -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(expected bin/tavrel-cli bin/dalmir-cli share/tavrel/samples/sample.kif
    share/applications/tavrel.desktop share/mime/packages/tavrel.xml
    share/icons/hicolor/scalable/apps/tavrel.svg
    share/man/man1/tavrel-cli.1 share/man/man1/dalmir-cli.1
    share/bash-completion/completions/tavrel-cli share/bash-completion/completions/dalmir-cli)
if(GUI)
    list(APPEND expected bin/tavrel)
endif()
foreach(f IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${f}")
        message(FATAL_ERROR "missing after install: ${f}")
    endif()
endforeach()
# The installed desktop entries pass the desktop's own check when it is installed.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    foreach(entry tavrel dalmir)
        execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}"
            "${PREFIX}/share/applications/${entry}.desktop"
            RESULT_VARIABLE valid OUTPUT_VARIABLE complaint ERROR_VARIABLE complaint)
        if(NOT valid EQUAL 0)
            message(FATAL_ERROR "${entry}.desktop does not validate: ${complaint}")
        endif()
    endforeach()
endif()
file(GLOB stray "${PREFIX}/bin/*_tests")
if(stray)
    message(FATAL_ERROR "test programs were installed: ${stray}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
