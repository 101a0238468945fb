# Replays: the golden recordings against their expected output (damaged ones: the error matrix).
set(GHOULRUN_REPLAY_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB GHOULRUN_GOLDEN_RUNS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/replays/*.rec)
foreach(recording ${GHOULRUN_GOLDEN_RUNS})
    get_filename_component(run ${recording} NAME_WE)
    add_test(NAME golden.${run}
             COMMAND bash ${GHOULRUN_REPLAY_DIR}/golden.sh ${run} ${GHOULRUN_GAME_DIR})
    set_tests_properties(golden.${run} PROPERTIES TIMEOUT 180 LABELS golden)
endforeach()
