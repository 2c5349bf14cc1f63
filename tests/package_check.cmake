# Builds the Debian package of the build folder, unpacks it into a fresh root and checks that
# everything a user needs is in it, under /usr, with the package's fields filled in.
#   cmake -DBUILD=DIR -DWORK=DIR -DGUI=ON|OFF -P package_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND cpack --config "${BUILD}/CPackConfig.cmake" -B "${WORK}"
        -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed (${result}): ${out}")
endif()
file(GLOB debs "${WORK}/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
endif()
execute_process(COMMAND dpkg-deb -x "${debs}" "${WORK}/root" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -x failed: ${result}")
endif()
set(expected bin/tavrel-cli bin/dalmir-cli share/tavrel/samples/sample.kif
    share/applications/tavrel.desktop share/applications/dalmir.desktop
    share/mime/packages/tavrel.xml
    share/icons/hicolor/scalable/apps/tavrel.svg share/icons/hicolor/scalable/apps/dalmir.svg
    share/man/man1/tavrel-cli.1 share/man/man1/dalmir-cli.1
    share/bash-completion/completions/tavrel-cli share/bash-completion/completions/dalmir-cli
    share/dalmir/help/dalmir/index.html share/tavrel/help/tavrel/index.html)
if(GUI)
    list(APPEND expected bin/tavrel bin/dalmir)
endif()
foreach(f IN LISTS expected)
    if(NOT EXISTS "${WORK}/root/usr/${f}")
        message(FATAL_ERROR "missing from the package: /usr/${f}")
    endif()
endforeach()
file(GLOB_RECURSE stray RELATIVE "${WORK}/root" "${WORK}/root/*_tests" "${WORK}/root/*.a")
if(stray)
    message(FATAL_ERROR "the package holds build or test files: ${stray}")
endif()
# The programs are stripped and run from the unpacked tree.
execute_process(COMMAND "${WORK}/root/usr/bin/tavrel-cli" --help
    RESULT_VARIABLE result OUTPUT_VARIABLE help ERROR_VARIABLE help)
if(NOT result EQUAL 0 OR NOT help MATCHES "tavrel-cli")
    message(FATAL_ERROR "the packaged tavrel-cli does not run: ${result} ${help}")
endif()
foreach(field Package Version Maintainer Description Architecture)
    execute_process(COMMAND dpkg-deb -f "${debs}" ${field} OUTPUT_VARIABLE value
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(value STREQUAL "")
        message(FATAL_ERROR "the package has no ${field} field")
    endif()
endforeach()
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
    execute_process(COMMAND dpkg-deb -f "${debs}" Depends OUTPUT_VARIABLE depends)
    if(NOT depends MATCHES "libc6")
        message(FATAL_ERROR "the package's dependencies were not computed: '${depends}'")
    endif()
    if(GUI AND NOT depends MATCHES "libqt6widgets6")
        message(FATAL_ERROR "the package does not depend on Qt's widgets: '${depends}'")
    endif()
endif()
file(REMOVE_RECURSE "${WORK}")
