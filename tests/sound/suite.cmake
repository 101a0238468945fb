# Sound: the unit tests write Ogg Vorbis music files, and a program of its own checks that a game
# over ends the whole process with status 0 at the right time.
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
target_link_libraries(ghoulrun_tests PRIVATE PkgConfig::VORBISENC)

# A .cc file, so the unit-test glob (*.cpp) leaves this main() out of ghoulrun_tests.
add_executable(game_over_exit_check
    ${CMAKE_CURRENT_LIST_DIR}/game_over_exit_check.cc
    ${CMAKE_CURRENT_LIST_DIR}/sound_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../support/test_support.cpp)
target_include_directories(game_over_exit_check PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(game_over_exit_check PRIVATE ghoulrun_core PkgConfig::VORBISENC)
add_test(NAME GameOverEndsTheProcess COMMAND game_over_exit_check)
set_tests_properties(GameOverEndsTheProcess PROPERTIES TIMEOUT 30)
