# Sound: the unit tests write their sound files with the asset generator's own writers.
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
set(GHOULRUN_ASSET_GENERATOR_DIR ${CMAKE_SOURCE_DIR}/tools/asset_generator)
target_sources(ghoulrun_tests PRIVATE ${GHOULRUN_ASSET_GENERATOR_DIR}/formats/wav_writer.cpp
    ${GHOULRUN_ASSET_GENERATOR_DIR}/formats/ogg_writer.cpp)
# The writers include their neighbours by the path from the generator's root.
target_include_directories(ghoulrun_tests PRIVATE ${GHOULRUN_ASSET_GENERATOR_DIR})
target_link_libraries(ghoulrun_tests PRIVATE PkgConfig::VORBISENC)
