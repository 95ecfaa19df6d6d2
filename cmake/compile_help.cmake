# Compiles the help pages into nimbrel.chm with chmcmd.
# Usage: cmake -DCHMCMD=... -DSOURCE_DIR=<res> -DWORK_DIR=... -DOUTPUT=.../nimbrel.chm -P compile_help.cmake
# chmcmd reads the project as "~/nimbrel.hhp" with HOME=/, so that the project's folder is "/"
# (see res/nimbrel.hhp), while "~" here is a link to the folder itself.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${SOURCE_DIR}/help ${SOURCE_DIR}/nimbrel.hhp DESTINATION ${WORK_DIR})
file(CREATE_LINK . ${WORK_DIR}/~ SYMBOLIC)
set(ENV{HOME} /)
execute_process(COMMAND ${CHMCMD} --no-html-scan ~/nimbrel.hhp
    WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK_DIR}/nimbrel.chm OR output MATCHES "Warning|Error")
    message(FATAL_ERROR "chmcmd could not compile the help:\n${output}")
endif()
file(COPY_FILE ${WORK_DIR}/nimbrel.chm ${OUTPUT})
