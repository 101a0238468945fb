# Soak: `make soak` plays for five minutes; the test here for 30 s, with the sanitized game the
# sanitize.asan_build test makes. A sanitized tree registers no soak.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_test(NAME soak.short COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/soak.sh 30 ${GHOULRUN_GAME_DIR}
        $<TARGET_FILE:ghoulrun_game_freeze> ${CMAKE_BINARY_DIR}/sanitize-asan/game/ghoulrun)
    # Two games flat out and their X servers: not beside the real-window scenarios.
    set_tests_properties(soak.short PROPERTIES TIMEOUT 180 LABELS soak FIXTURES_REQUIRED
        ghoulrun_asan_build RESOURCE_LOCK ghoulrun_real_window
        ENVIRONMENT "E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/soak-artifacts")
endif()
