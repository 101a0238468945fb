# The browser build's page: the game as ghoulrun.js and ghoulrun.wasm beside index.html in
# GHOULRUN_WEB_DIR, with the pictures, sounds and music the desktop build generated
# (GHOULRUN_WEB_DATA, its run folder) packed into ghoulrun.data and preloaded into the
# browser's file system, in the folder where the game looks for them (platform/folders.cpp).
set(GHOULRUN_WEB_DIR ${CMAKE_BINARY_DIR}/page CACHE PATH "Where the page is made")
set(GHOULRUN_WEB_DATA "" CACHE PATH "The desktop build's run folder, with the generated data")
if(NOT IS_DIRECTORY "${GHOULRUN_WEB_DATA}/images")
    message(FATAL_ERROR "No generated data in '${GHOULRUN_WEB_DATA}': build the desktop's ghoulrun_assets")
endif()

# The game's state loop blocks, as on the desktop: each of its waits hands the page back to the
# browser (ASYNCIFY, see SDL_Delay in sdl12_web.cpp). Its threads come from a pool started with
# the page, since a thread can only start while the main thread is back in the browser.
set(web_threads 4)
set(web_memory_bytes 268435456)
set(web_asyncify_stack_bytes 65536)
# SDL 2's own JavaScript calls these, which emscripten's SDL 2 port would have included; they are
# named in a file, since a $ does not come through the build's command lines whole.
set(web_library_functions ${CMAKE_BINARY_DIR}/web-library-functions.json)
file(WRITE ${web_library_functions} "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
# The link options every program of the browser build takes. Packed from the same files in the
# same order, each program's data file is the same as the game's.
function(ghoulrun_web_program target)
    target_link_options(${target} PRIVATE
        -sASYNCIFY -sASYNCIFY_STACK_SIZE=${web_asyncify_stack_bytes}
        -sPTHREAD_POOL_SIZE=${web_threads}
        -sINITIAL_MEMORY=${web_memory_bytes}
        -sENVIRONMENT=web,worker
        -sFORCE_FILESYSTEM=1
        "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${web_library_functions}"
        "SHELL:--preload-file ${GHOULRUN_WEB_DATA}/images@/ghoulrun/images"
        "SHELL:--preload-file ${GHOULRUN_WEB_DATA}/sfx@/ghoulrun/sfx"
        "SHELL:--preload-file ${GHOULRUN_WEB_DATA}/pompeii.ogg@/ghoulrun/pompeii.ogg"
        # The golden recordings, small, so that the page replays them as the desktop does.
        "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/tests/data/replays@/replays")
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${GHOULRUN_WEB_DIR}
                          SUFFIX .js)
endfunction()
ghoulrun_web_program(ghoulrun)

configure_file(${CMAKE_CURRENT_LIST_DIR}/index_web.html ${GHOULRUN_WEB_DIR}/index.html COPYONLY)
