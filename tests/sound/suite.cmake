# Sound: the unit tests write their sound files with the asset generator's own writers.
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
target_sources(ghoulrun_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools/asset_generator/wav_writer.cpp
    ${CMAKE_SOURCE_DIR}/tools/asset_generator/ogg_writer.cpp)
target_include_directories(ghoulrun_tests PRIVATE ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(ghoulrun_tests PRIVATE PkgConfig::VORBISENC)
