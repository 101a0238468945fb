# Replays: the golden recordings replayed headless against their expected output, and damaged
# recordings refused by the real game.
set(GHOULRUN_REPLAY_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB GHOULRUN_GOLDEN_RUNS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/replays/*.rec)
foreach(recording ${GHOULRUN_GOLDEN_RUNS})
    get_filename_component(run ${recording} NAME_WE)
    add_test(NAME golden.${run}
             COMMAND bash ${GHOULRUN_REPLAY_DIR}/golden.sh ${run} ${GHOULRUN_GAME_DIR})
    set_tests_properties(golden.${run} PROPERTIES TIMEOUT 180 LABELS golden)
endforeach()

add_test(NAME replay.bad_files
         COMMAND bash ${GHOULRUN_REPLAY_DIR}/bad_files.sh ${GHOULRUN_GAME_DIR}
                 ${CMAKE_SOURCE_DIR}/tests/data/replays/standing.rec)
set_tests_properties(replay.bad_files PROPERTIES TIMEOUT 120 LABELS errors)
