# The data set, loaded as the game loads it: a program of its own, so unit tests never wait for it.
if(TARGET ghoulrun_assets)
    add_executable(ghoulrun_asset_tests ${CMAKE_CURRENT_LIST_DIR}/generated_data_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../support/test_main.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../support/test_support.cpp)
    target_include_directories(ghoulrun_asset_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(ghoulrun_asset_tests PRIVATE ghoulrun_core GTest::gtest)
    target_compile_definitions(ghoulrun_asset_tests PRIVATE
        GHOULRUN_RUN_FOLDER="${GHOULRUN_GAME_DIR}"
        GHOULRUN_ASSET_GENERATOR="$<TARGET_FILE:asset_generator>")
    add_dependencies(ghoulrun_asset_tests ghoulrun_assets)
    gtest_discover_tests(ghoulrun_asset_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endif()
