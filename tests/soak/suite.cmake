# Soak: long random play on an X server of its own, the plain game and its AddressSanitizer build
# side by side. `make soak` plays for five minutes; the test here plays for 30 s, with the
# sanitized game that the sanitize.asan_build test makes.

# Preloaded into the game, it counts the frames the game shows.
add_library(ghoulrun_frame_counter MODULE ${CMAKE_CURRENT_LIST_DIR}/frame_counter.cc)
target_include_directories(ghoulrun_frame_counter PRIVATE ${SDL_INCLUDE_DIRS})
target_link_libraries(ghoulrun_frame_counter PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(ghoulrun_frame_counter PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/soak-tools)
add_dependencies(ghoulrun_frame_counter ghoulrun)

# A sanitized tree is itself what the soak plays; it registers no soak of its own.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_test(NAME soak.short
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/soak.sh 30 ${GHOULRUN_GAME_DIR}
                $<TARGET_FILE:ghoulrun_frame_counter>
                ${CMAKE_BINARY_DIR}/sanitize-asan/game/ghoulrun)
    # Two games flat out and their X servers: not beside the real-window scenarios.
    set_tests_properties(soak.short PROPERTIES
        TIMEOUT 180
        LABELS soak
        RESOURCE_LOCK ghoulrun_real_window
        FIXTURES_REQUIRED ghoulrun_asan_build
        ENVIRONMENT "SOAK_ARTIFACTS=${CMAKE_BINARY_DIR}/soak-artifacts")
endif()
