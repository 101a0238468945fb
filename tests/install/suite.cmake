# The install as a player's desktop and Debian see it (checks.sh); these need the plain game.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    return()
endif()
set(GHOULRUN_INSTALL_ENVIRONMENT
    "GHOULRUN_SOURCE_DIR=${CMAKE_SOURCE_DIR};GHOULRUN_BUILD_DIR=${CMAKE_BINARY_DIR}"
    "GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR};GHOULRUN_METAINFO=${GHOULRUN_METAINFO}"
    "GHOULRUN_MAN_PAGE=${GHOULRUN_MAN_PAGE}")
# check:time limit in seconds; install.package makes the package the others (after it) need.
foreach(check desktop_entry:30 metainfo:30 man_page:30 package:180 lintian:180 unpacked:60
        make_install:120)
    string(REGEX MATCH "^([a-z_]+):([0-9]+)$" parsed ${check})
    add_test(NAME install.${CMAKE_MATCH_1}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/checks.sh ${CMAKE_MATCH_1})
    set_tests_properties(install.${CMAKE_MATCH_1} PROPERTIES TIMEOUT ${CMAKE_MATCH_2} LABELS install
        ENVIRONMENT "${GHOULRUN_INSTALL_ENVIRONMENT}")
endforeach()
set_tests_properties(install.package PROPERTIES FIXTURES_SETUP ghoulrun_package)
set_tests_properties(install.lintian install.unpacked PROPERTIES FIXTURES_REQUIRED ghoulrun_package)
# The unpacked game's replay is held to a golden output: -LE golden leaves it out with the others.
set_tests_properties(install.unpacked PROPERTIES LABELS "install;golden")
# The build's install records are shared with the package build and the end-to-end install.
set_tests_properties(install.package install.make_install PROPERTIES RESOURCE_LOCK ghoulrun_install)
