# Saves under fire (kill_and_race.cpp): a program of its own, outside the unit tests' glob: its
# forked savers want a process without the unit tests' SDL. A sanitized tree registers none of it.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_executable(ghoulrun_records_tests ${CMAKE_CURRENT_LIST_DIR}/kill_and_race.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../support/test_support.cpp)
    target_include_directories(ghoulrun_records_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(ghoulrun_records_tests PRIVATE ghoulrun_core GTest::gtest_main)
    gtest_discover_tests(ghoulrun_records_tests DISCOVERY_TIMEOUT 30
        PROPERTIES TIMEOUT 60 LABELS records)
endif()
