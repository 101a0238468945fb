# The sanitizer trees, each built by scripts/sanitize.sh inside this build folder: AddressSanitizer
# (with UBSan and LSan) running every test but the real-window ones, its game also the soak's, and
# ThreadSanitizer the tests of the threads. The builds take both cores, so these run alone.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(sanitize ${CMAKE_SOURCE_DIR}/scripts/sanitize.sh)
    add_test(NAME sanitize.asan_build COMMAND sh ${sanitize} asan-build ${CMAKE_BINARY_DIR}/sanitize-asan)
    add_test(NAME sanitize.asan COMMAND sh ${sanitize} asan ${CMAKE_BINARY_DIR}/sanitize-asan)
    add_test(NAME sanitize.tsan COMMAND sh ${sanitize} tsan ${CMAKE_BINARY_DIR}/sanitize-tsan)
    set_tests_properties(sanitize.asan_build sanitize.asan sanitize.tsan PROPERTIES RUN_SERIAL TRUE LABELS sanitize)
    set_tests_properties(sanitize.asan_build PROPERTIES TIMEOUT 1800 FIXTURES_SETUP ghoulrun_asan_build)
    set_tests_properties(sanitize.asan PROPERTIES TIMEOUT 1200 FIXTURES_REQUIRED ghoulrun_asan_build)
    set_tests_properties(sanitize.tsan PROPERTIES TIMEOUT 1800)
endif()
