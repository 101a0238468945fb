# The sanitizer runs as tests of the plain build: an AddressSanitizer tree (with
# UndefinedBehaviorSanitizer and LeakSanitizer) running every test but the real-window ones, and
# a ThreadSanitizer tree running the tests of the threads (the sound engine, the crowd's helper
# and the queue of blits it shares). Each tree lives inside this build folder and is built by
# scripts/sanitize.sh, which `make sanitize` runs too. The builds take both cores, so these run
# alone.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(GHOULRUN_SANITIZE ${CMAKE_SOURCE_DIR}/scripts/sanitize.sh)
    set(GHOULRUN_ASAN_TREE ${CMAKE_BINARY_DIR}/sanitize-asan)

    # Also makes the sanitized game that the soak plays.
    add_test(NAME sanitize.asan_build COMMAND sh ${GHOULRUN_SANITIZE} asan-build ${GHOULRUN_ASAN_TREE})
    set_tests_properties(sanitize.asan_build PROPERTIES
        TIMEOUT 1800 RUN_SERIAL TRUE LABELS sanitize FIXTURES_SETUP ghoulrun_asan_build)

    add_test(NAME sanitize.asan COMMAND sh ${GHOULRUN_SANITIZE} asan ${GHOULRUN_ASAN_TREE})
    set_tests_properties(sanitize.asan PROPERTIES
        TIMEOUT 1200 RUN_SERIAL TRUE LABELS sanitize FIXTURES_REQUIRED ghoulrun_asan_build)

    add_test(NAME sanitize.tsan COMMAND sh ${GHOULRUN_SANITIZE} tsan ${CMAKE_BINARY_DIR}/sanitize-tsan)
    set_tests_properties(sanitize.tsan PROPERTIES TIMEOUT 1800 RUN_SERIAL TRUE LABELS sanitize)
endif()
