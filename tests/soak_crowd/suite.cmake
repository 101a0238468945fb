# The crowd soak's short form: a minute of game time with the crowd grown to thousands, headless,
# under AddressSanitizer with UndefinedBehaviorSanitizer and LeakSanitizer (the driver of the tree
# that the sanitize.asan_build test makes) and on this build's plain crowding pass; both must pass
# their checks and end in the same state. `make soak-crowd` runs the whole soak. A sanitized tree
# registers none.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_test(NAME soak_crowd.short COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/soak_crowd.sh --short
        ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/sanitize-asan)
    set_tests_properties(soak_crowd.short PROPERTIES TIMEOUT 600 LABELS soak
        FIXTURES_REQUIRED ghoulrun_asan_build)
endif()
