# Sound: the unit tests write Ogg Vorbis files.
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
target_link_libraries(ghoulrun_tests PRIVATE PkgConfig::VORBISENC)
