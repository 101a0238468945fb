# Error matrix: the real game in a damaged copy of its run folder, one ctest test per case. Each
# must end within 5 s with status 1 and one line on standard error naming the file or the cause,
# or, where the folder is only unusual, start.
pkg_check_modules(GHOULRUN_ERRORS_VORBIS REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)

# A .cc file, so the unit-test glob (*.cpp) leaves this main() out of ghoulrun_tests.
add_executable(ghoulrun_error_case
    ${CMAKE_CURRENT_LIST_DIR}/error_case.cc
    ${CMAKE_CURRENT_LIST_DIR}/../sound/sound_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../support/test_support.cpp)
target_include_directories(ghoulrun_error_case PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(ghoulrun_error_case PRIVATE ghoulrun_core PkgConfig::GHOULRUN_ERRORS_VORBIS)
# Built with the game, so `ctest` finds it without naming the target.
add_dependencies(ghoulrun_error_case ghoulrun)

if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=(address|thread)")
    set(GHOULRUN_ERRORS_SANITIZED 1)
else()
    set(GHOULRUN_ERRORS_SANITIZED 0)
endif()

set(GHOULRUN_ERROR_CASES
    valid_run_folder
    images_missing
    picture_missing
    picture_empty
    picture_truncated
    picture_is_text
    picture_header_enormous
    picture_header_large
    picture_8bit_palette
    sfx_missing
    sfx_plain_file
    sfx_symlink_loop
    sample_symlink_loop
    sample_empty
    sample_corrupt
    sample_unsupported_encoding
    sample_nested_folder
    music_missing
    music_corrupt
    no_audio_device
    audio_device_unopenable
    no_display
    no_display_server
    no_display_at_all)

foreach(errorCase ${GHOULRUN_ERROR_CASES})
    add_test(NAME errors.${errorCase} COMMAND ghoulrun_error_case ${errorCase})
    set_tests_properties(errors.${errorCase} PROPERTIES
        TIMEOUT 30
        LABELS errors
        ENVIRONMENT "GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR};GHOULRUN_SANITIZED=${GHOULRUN_ERRORS_SANITIZED}")
endforeach()
