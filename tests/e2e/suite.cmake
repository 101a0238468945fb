# The real game on X servers of its own (tests/e2e/driver.sh): the end-to-end scenarios and the
# endings, one test per case, each alone: its game runs flat out on both cores.
find_package(X11 REQUIRED)
set(GHOULRUN_E2E_TOOLS ${CMAKE_BINARY_DIR}/e2e-tools)

# Preloaded into the game: freezes it with its clock while a scenario looks or types; counts frames.
add_library(ghoulrun_game_freeze MODULE ${CMAKE_CURRENT_LIST_DIR}/game_freeze.cpp)
target_include_directories(ghoulrun_game_freeze PRIVATE ${SDL_INCLUDE_DIRS})
target_link_libraries(ghoulrun_game_freeze PRIVATE ${CMAKE_DL_LIBS} Threads::Threads)
add_executable(ghoulrun_close_window ${CMAKE_CURRENT_LIST_DIR}/close_window.cpp)
target_link_libraries(ghoulrun_close_window PRIVATE X11::X11)
set_target_properties(ghoulrun_game_freeze ghoulrun_close_window PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${GHOULRUN_E2E_TOOLS} RUNTIME_OUTPUT_DIRECTORY ${GHOULRUN_E2E_TOOLS})

# suite/case:time limit in seconds; the script's own limit strikes 10 s before ctest's.
set(GHOULRUN_REAL_GAME_CASES
    e2e/startup:90 e2e/controls:120 e2e/enemies:120 e2e/window:90 e2e/results:150 e2e/settings:120
    endings/lost_display_killed:60 endings/lost_display_shutdown:60 endings/sigint_in_play:60
    endings/sigterm_in_play:60 endings/sighup_in_play:60 endings/sigint_in_game_over:90
    endings/sigterm_in_game_over:90 endings/sighup_in_game_over:90 endings/second_signal:60
    endings/stdout_to_head:60 endings/stdout_and_stderr_to_head:60 endings/closed_stdout_recording:90
    endings/record_full_device:60 endings/record_file_limit:90 endings/record_missing_folder:60
    endings/record_full_device_game_over:150 endings/installed_through_link:90)
foreach(case ${GHOULRUN_REAL_GAME_CASES})
    string(REGEX MATCH "^([a-z0-9]+)/([a-z_]+):([0-9]+)$" parsed ${case})
    math(EXPR ownLimit "${CMAKE_MATCH_3} - 10")
    add_test(NAME ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/${CMAKE_MATCH_1}/${CMAKE_MATCH_1}.sh ${CMAKE_MATCH_2})
    set_tests_properties(${CMAKE_MATCH_1}.${CMAKE_MATCH_2} PROPERTIES
        TIMEOUT ${CMAKE_MATCH_3} RUN_SERIAL TRUE LABELS "e2e;${CMAKE_MATCH_1}"
        ENVIRONMENT "E2E_LIMIT=${ownLimit};GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR};E2E_TOOLS=${GHOULRUN_E2E_TOOLS};E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts;GHOULRUN_SOURCE_DIR=${CMAKE_SOURCE_DIR};GHOULRUN_BUILD_DIR=${CMAKE_BINARY_DIR}")
endforeach()
