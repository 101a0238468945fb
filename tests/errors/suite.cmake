# Error matrix: one ctest test per case of the table in error_case.sh.
set(GHOULRUN_ERROR_CASE ${CMAKE_CURRENT_LIST_DIR}/error_case.sh)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${GHOULRUN_ERROR_CASE})
execute_process(COMMAND bash ${GHOULRUN_ERROR_CASE} --list COMMAND_ERROR_IS_FATAL ANY
                OUTPUT_VARIABLE GHOULRUN_ERROR_CASES)
string(REGEX MATCHALL "[^\n]+" GHOULRUN_ERROR_CASES "${GHOULRUN_ERROR_CASES}")
# A sanitized game reserves more address space than a plain one may use. The good recording: the
# damaged ones are made from it, and unusual folders must play it.
string(REGEX MATCH "-fsanitize=(address|thread)" GHOULRUN_ERRORS_SANITIZED "${CMAKE_CXX_FLAGS}")
set(GHOULRUN_ERRORS_ENVIRONMENT GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR}
    GHOULRUN_SANITIZED=${GHOULRUN_ERRORS_SANITIZED}
    GOOD_RECORDING=${CMAKE_SOURCE_DIR}/tests/data/replays/standing.rec)
foreach(errorCase ${GHOULRUN_ERROR_CASES})
    add_test(NAME errors.${errorCase} COMMAND bash ${GHOULRUN_ERROR_CASE} ${errorCase})
    set_tests_properties(errors.${errorCase} PROPERTIES TIMEOUT 90 LABELS errors
        ENVIRONMENT "${GHOULRUN_ERRORS_ENVIRONMENT}")
endforeach()
