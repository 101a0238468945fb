# The frame benchmark, briefly (bench_smoke.sh). It replaces malloc, which a sanitized tree cannot
# have, so a sanitized tree registers none.
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_test(NAME bench.smoke COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/bench_smoke.sh
        $<TARGET_FILE:frame_bench> ${GHOULRUN_GAME_DIR} ${CMAKE_SOURCE_DIR}/bench/frame_times.gp)
    set_tests_properties(bench.smoke PROPERTIES TIMEOUT 180 LABELS bench)
endif()
