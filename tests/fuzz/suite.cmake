# The fuzz targets: one libFuzzer program per reader of what players share or edit, named for its
# source here (<target>_fuzz.cpp) and seeded from tests/data/fuzz/<target>. They build only in the
# clang tree scripts/fuzz.sh configures (GHOULRUN_FUZZ); the plain tree runs scripts/fuzz.sh, which
# builds that tree here, then checks each target briefly. It takes both cores: these run alone.
option(GHOULRUN_FUZZ "Build the libFuzzer targets (clang only; scripts/fuzz.sh sets it)" OFF)
file(GLOB GHOULRUN_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzz.cpp)

if(GHOULRUN_FUZZ)
    # Only the readers and what they call: a short build; clang 14 crashes on the crowding pass.
    set(readers replay/recording platform/block_file records/run_table sprites/sprite_catalogue
        shell/command_line shell/data_folder platform/folders settings/settings
        platform/kept_file records/best_runs settings/settings_file)
    list(TRANSFORM readers REPLACE "(.+)" "${CMAKE_SOURCE_DIR}/src/\\1.cpp")
    add_library(ghoulrun_readers STATIC ${readers})
    target_include_directories(ghoulrun_readers PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(ghoulrun_readers PUBLIC PkgConfig::SDL PRIVATE CLI11::CLI11 PkgConfig::INIH)
    target_compile_definitions(ghoulrun_readers PUBLIC GHOULRUN_VERSION="${PROJECT_VERSION}"
                               GHOULRUN_DATA_FROM_BINARY="${GHOULRUN_DATA_FROM_BINARY}")
    target_compile_options(ghoulrun_readers PRIVATE ${GHOULRUN_SHADOW_WARNING})
    foreach(source ${GHOULRUN_FUZZ_SOURCES})
        string(REGEX REPLACE ".*/(.+)_fuzz\\.cpp$" "\\1" target ${source})
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
        string(REGEX REPLACE ".*/(.+)_fuzz\\.cpp$" "\\1" target ${source})
        add_test(NAME fuzz.${target} COMMAND sh ${fuzz} check ${target} ${fuzz_tree})
        set_tests_properties(fuzz.${target} PROPERTIES TIMEOUT 300
                                                       FIXTURES_REQUIRED ghoulrun_fuzz_build)
        list(APPEND fuzz_tests fuzz.${target})
    endforeach()
    set_tests_properties(${fuzz_tests} PROPERTIES RUN_SERIAL TRUE LABELS fuzz)
endif()
