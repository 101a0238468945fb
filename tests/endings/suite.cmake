# Endings: the real game ends cleanly whatever happens around it (its X server killed, a signal,
# a console that went away, a recording the disk will not take). One ctest test per case. Each
# times what it sees, so each runs alone; none belongs in the sanitizer trees (label e2e).
set(GHOULRUN_ENDINGS_DIR ${CMAKE_CURRENT_LIST_DIR})

# name and time limit in seconds
set(GHOULRUN_ENDINGS_CASES
    lost_display_killed 60
    lost_display_shutdown 60
    sigint_in_play 60
    sigterm_in_play 60
    sighup_in_play 60
    sigint_in_game_over 90
    sigterm_in_game_over 90
    sighup_in_game_over 90
    second_signal 60
    stdout_to_head 60
    stdout_and_stderr_to_head 60
    closed_stdout_recording 90
    record_full_device 60
    record_file_limit 90
    record_missing_folder 60
    record_full_device_game_over 150)

list(LENGTH GHOULRUN_ENDINGS_CASES endingFields)
math(EXPR lastEndingField "${endingFields} - 1")
foreach(field RANGE 0 ${lastEndingField} 2)
    math(EXPR limitField "${field} + 1")
    list(GET GHOULRUN_ENDINGS_CASES ${field} ending)
    list(GET GHOULRUN_ENDINGS_CASES ${limitField} limit)
    add_test(NAME endings.${ending} COMMAND bash ${GHOULRUN_ENDINGS_DIR}/endings.sh ${ending})
    set_tests_properties(endings.${ending} PROPERTIES
        TIMEOUT ${limit}
        RUN_SERIAL TRUE
        LABELS "e2e;endings"
        ENVIRONMENT "GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR};GHOULRUN_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endforeach()
