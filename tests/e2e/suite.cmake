# End-to-end scenarios: the real game in a real X window (Xvfb), steered by xdotool, seen through
# screenshots and heard through SDL's disk audio driver. Each scenario is one ctest test.
find_package(X11 REQUIRED)

set(GHOULRUN_E2E_DIR ${CMAKE_CURRENT_LIST_DIR})
set(GHOULRUN_E2E_TOOLS ${CMAKE_BINARY_DIR}/e2e-tools)

# Helpers the scenarios call: closing the window the way a window manager does, and measuring
# the loudness of the recorded sound over time.
add_executable(ghoulrun_close_window ${GHOULRUN_E2E_DIR}/close_window.cpp)
target_link_libraries(ghoulrun_close_window PRIVATE X11::X11)
add_executable(ghoulrun_audio_probe ${GHOULRUN_E2E_DIR}/audio_probe.cpp)
set_target_properties(ghoulrun_close_window ghoulrun_audio_probe
                      PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${GHOULRUN_E2E_TOOLS})

# Preloaded into the game: stops it and its clock while a scenario looks or types.
add_library(ghoulrun_game_freeze MODULE ${GHOULRUN_E2E_DIR}/game_freeze.cpp)
target_include_directories(ghoulrun_game_freeze PRIVATE ${SDL_INCLUDE_DIRS})
target_link_libraries(ghoulrun_game_freeze PRIVATE ${CMAKE_DL_LIBS} Threads::Threads)
set_target_properties(ghoulrun_game_freeze PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${GHOULRUN_E2E_TOOLS})

# name and time limit in seconds. A scenario's game runs flat out (it has no frame cap) and takes
# both cores, so each scenario runs alone. What a scenario checks does not hang on the machine's
# speed: the game stands frozen, its clock with it, while the scenario types and looks (lib.sh).
set(GHOULRUN_E2E_SCENARIOS
    startup 60
    moves 60
    scroll 60
    sword 60
    keys 60
    close_window 60
    enemies 120
    install 60
    window 90)

list(LENGTH GHOULRUN_E2E_SCENARIOS scenarioFields)
math(EXPR lastField "${scenarioFields} - 1")
foreach(field RANGE 0 ${lastField} 2)
    math(EXPR limitField "${field} + 1")
    list(GET GHOULRUN_E2E_SCENARIOS ${field} scenario)
    list(GET GHOULRUN_E2E_SCENARIOS ${limitField} limit)
    # The scenario's own watchdog strikes first and still cleans up after itself.
    math(EXPR ownLimit "${limit} - 10")
    add_test(NAME e2e.${scenario} COMMAND bash ${GHOULRUN_E2E_DIR}/scenarios/${scenario}.sh)
    set_tests_properties(e2e.${scenario} PROPERTIES
        TIMEOUT ${limit}
        RUN_SERIAL TRUE
        LABELS e2e
        ENVIRONMENT "E2E_LIMIT=${ownLimit};GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR};E2E_TOOLS=${GHOULRUN_E2E_TOOLS};E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts;GHOULRUN_SOURCE_DIR=${CMAKE_SOURCE_DIR};GHOULRUN_BUILD_DIR=${CMAKE_BINARY_DIR}")
endforeach()
