# Runs PROGRAM with ARG and writes what it prints to OUT (a build step of the manual pages).
#   cmake -DPROGRAM=EXE -DARG=--help-man -DOUT=FILE -P print_to_file.cmake
get_filename_component(folder "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND "${PROGRAM}" "${ARG}" OUTPUT_FILE "${OUT}.tmp" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE "${OUT}.tmp")
    message(FATAL_ERROR "${PROGRAM} ${ARG} failed: ${result}")
endif()
file(RENAME "${OUT}.tmp" "${OUT}")
