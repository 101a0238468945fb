# The browser build's libraries, as the targets the desktop build gets from pkg-config and CMake:
# SDL 1.2 and SDL_mixer 1.2 are our layer over SDL 2 and SDL2_mixer, which scripts/web_deps.sh
# built for WebAssembly from Debian's sources into its cache (GHOULRUN_WEB_SYSROOT), as it built
# inih, the settings file's reader; CLI11 and xxHash are the headers Debian installed, seen through
# a folder of links in the build tree so that no other host header comes into view.
set(GHOULRUN_WEB_SYSROOT "$ENV{GHOULRUN_WEB_SYSROOT}" CACHE PATH
    "Where scripts/web_deps.sh installed SDL 2, SDL2_mixer and inih for WebAssembly")
# The script's word is the last: its cache may have moved since the build was set up.
if(DEFINED ENV{GHOULRUN_WEB_SYSROOT})
    set(GHOULRUN_WEB_SYSROOT "$ENV{GHOULRUN_WEB_SYSROOT}" CACHE PATH "" FORCE)
endif()
foreach(library libSDL2.a libSDL2_mixer.a libinih.a)
    if(NOT EXISTS ${GHOULRUN_WEB_SYSROOT}/lib/${library})
        message(FATAL_ERROR
                "No ${library} for WebAssembly in '${GHOULRUN_WEB_SYSROOT}': run scripts/web_deps.sh")
    endif()
endforeach()

# Every source of the game and the libraries it is linked with run on threads.
add_compile_options(-pthread)
add_link_options(-pthread)

set(web_host_headers ${CMAKE_BINARY_DIR}/web-host-headers)
file(MAKE_DIRECTORY ${web_host_headers})
foreach(header CLI xxhash.h)
    if(NOT EXISTS /usr/include/${header})
        message(FATAL_ERROR "/usr/include/${header} is missing: run scripts/web_deps.sh")
    endif()
    file(CREATE_LINK /usr/include/${header} ${web_host_headers}/${header} SYMBOLIC)
endforeach()

add_library(PkgConfig::SDL INTERFACE IMPORTED)
target_include_directories(PkgConfig::SDL INTERFACE ${CMAKE_CURRENT_LIST_DIR}/include)
target_link_libraries(PkgConfig::SDL INTERFACE ${GHOULRUN_WEB_SYSROOT}/lib/libSDL2_mixer.a
                      ${GHOULRUN_WEB_SYSROOT}/lib/libSDL2.a)
# Only the layer's own sources see SDL 2's headers.
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/sdl12_web.cpp ${CMAKE_CURRENT_LIST_DIR}/mixer12_web.cpp
             APPEND PROPERTY INCLUDE_DIRECTORIES ${GHOULRUN_WEB_SYSROOT}/include/SDL2)

# xxHash compiled into the game from its header alone.
add_library(PkgConfig::XXHASH INTERFACE IMPORTED)
target_include_directories(PkgConfig::XXHASH INTERFACE ${web_host_headers})
target_compile_definitions(PkgConfig::XXHASH INTERFACE XXH_INLINE_ALL)

# inih's header from the source the library was built from, never the host's.
add_library(PkgConfig::INIH INTERFACE IMPORTED)
target_include_directories(PkgConfig::INIH INTERFACE ${GHOULRUN_WEB_SYSROOT}/include/inih)
target_link_libraries(PkgConfig::INIH INTERFACE ${GHOULRUN_WEB_SYSROOT}/lib/libinih.a)

add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${web_host_headers})
