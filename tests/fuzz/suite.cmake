# The fuzz targets: one libFuzzer program per reader of what players share or edit, each named for
# its source here (<target>_fuzz.cpp) and seeded from tests/data/fuzz/<target>. A new reader joins
# by a source and a seed folder of its own.
#
# They build only in the fuzz tree that scripts/fuzz.sh configures with clang (GHOULRUN_FUZZ):
# the game's readers with the fuzzer's coverage and the sanitizers, the targets linked with
# libFuzzer's main. The plain tree instead runs scripts/fuzz.sh: it builds the fuzz tree inside
# this build folder, then each target runs over its seeds and fuzzes briefly. The fuzz tree takes
# both cores, so these run alone.
option(GHOULRUN_FUZZ "Build the libFuzzer targets (clang only; scripts/fuzz.sh sets it)" OFF)
file(GLOB GHOULRUN_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzz.cpp)

if(GHOULRUN_FUZZ)
    # Only the readers and what they call, not the whole game: the build stays short, and clang 14
    # fails on the crowding pass under these flags (a crash in its code generator).
    add_library(ghoulrun_readers STATIC
        ${CMAKE_SOURCE_DIR}/src/replay/recording.cpp
        ${CMAKE_SOURCE_DIR}/src/platform/block_file.cpp
        ${CMAKE_SOURCE_DIR}/src/records/run_table.cpp
        ${CMAKE_SOURCE_DIR}/src/sprites/sprite_catalogue.cpp
        ${CMAKE_SOURCE_DIR}/src/shell/command_line.cpp
        ${CMAKE_SOURCE_DIR}/src/shell/data_folder.cpp
        ${CMAKE_SOURCE_DIR}/src/platform/folders.cpp
        ${CMAKE_SOURCE_DIR}/src/settings/settings.cpp)
    target_include_directories(ghoulrun_readers PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(ghoulrun_readers PUBLIC PkgConfig::SDL PRIVATE CLI11::CLI11 PkgConfig::INIH)
    target_compile_definitions(ghoulrun_readers PUBLIC GHOULRUN_VERSION="${PROJECT_VERSION}"
                               GHOULRUN_DATA_FROM_BINARY="${GHOULRUN_DATA_FROM_BINARY}")
    target_compile_options(ghoulrun_readers PRIVATE ${GHOULRUN_SHADOW_WARNING})
    foreach(source ${GHOULRUN_FUZZ_SOURCES})
        get_filename_component(target ${source} NAME_WE)
        string(REGEX REPLACE "_fuzz$" "" target ${target})
        add_executable(fuzz_${target} ${source})
        target_link_libraries(fuzz_${target} PRIVATE ghoulrun_readers)
        target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
        set_target_properties(fuzz_${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                        ${CMAKE_BINARY_DIR}/fuzz-targets)
    endforeach()
elseif(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(fuzz ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh)
    set(fuzz_tree ${CMAKE_BINARY_DIR}/fuzz)
    add_test(NAME fuzz.build COMMAND sh ${fuzz} build ${fuzz_tree})
    set_tests_properties(fuzz.build PROPERTIES TIMEOUT 1800 FIXTURES_SETUP ghoulrun_fuzz_build)
    set(fuzz_tests fuzz.build)
    foreach(source ${GHOULRUN_FUZZ_SOURCES})
        get_filename_component(target ${source} NAME_WE)
        string(REGEX REPLACE "_fuzz$" "" target ${target})
        add_test(NAME fuzz.${target} COMMAND sh ${fuzz} check ${target} ${fuzz_tree})
        set_tests_properties(fuzz.${target} PROPERTIES TIMEOUT 300
                                                       FIXTURES_REQUIRED ghoulrun_fuzz_build)
        list(APPEND fuzz_tests fuzz.${target})
    endforeach()
    set_tests_properties(${fuzz_tests} PROPERTIES RUN_SERIAL TRUE LABELS fuzz)
endif()
