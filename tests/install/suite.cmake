# The install as a player's desktop and Debian see it: the menu entry, the AppStream metadata and
# the manual page pass their validators; the Debian package passes lintian, plays when unpacked
# anywhere and leaves nothing behind when removed; make uninstall takes back make install.
# The sanitizer trees run the unit tests of the data folder; these need the plain game.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    return()
endif()

set(GHOULRUN_INSTALL_CHECKS ${CMAKE_CURRENT_LIST_DIR})
# Where the package is built for the checks, apart from make package's.
set(GHOULRUN_PACKAGE_DIR ${CMAKE_BINARY_DIR}/install-check)
set(GHOULRUN_INSTALL_ENVIRONMENT
    "GHOULRUN_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    "GHOULRUN_BUILD_DIR=${CMAKE_BINARY_DIR}"
    "GHOULRUN_GAME_DIR=${GHOULRUN_GAME_DIR}"
    "GHOULRUN_PACKAGE_DIR=${GHOULRUN_PACKAGE_DIR}"
    "GHOULRUN_DESKTOP_ENTRY=${CMAKE_SOURCE_DIR}/dist/ghoulrun.desktop"
    "GHOULRUN_METAINFO=${GHOULRUN_METAINFO}"
    "GHOULRUN_MAN_PAGE=${GHOULRUN_MAN_PAGE}"
    "GHOULRUN_REPLAYS=${CMAKE_SOURCE_DIR}/tests/data/replays"
    "E2E_TOOLS=${CMAKE_BINARY_DIR}/e2e-tools"
    "E2E_ARTIFACTS=${CMAKE_BINARY_DIR}/e2e-artifacts")

# name, time limit in seconds, and what else it needs: the package, or a test of its own.
set(GHOULRUN_INSTALL_CASES
    desktop_entry 30 -
    metainfo 30 -
    man_page 30 -
    package 180 builds_package
    lintian 180 needs_package
    unpacked 60 needs_package
    dpkg 180 needs_package
    make_install 120 -)

list(LENGTH GHOULRUN_INSTALL_CASES caseFields)
math(EXPR lastField "${caseFields} - 1")
foreach(field RANGE 0 ${lastField} 3)
    math(EXPR limitField "${field} + 1")
    math(EXPR needsField "${field} + 2")
    list(GET GHOULRUN_INSTALL_CASES ${field} check)
    list(GET GHOULRUN_INSTALL_CASES ${limitField} limit)
    list(GET GHOULRUN_INSTALL_CASES ${needsField} needs)
    add_test(NAME install.${check} COMMAND bash ${GHOULRUN_INSTALL_CHECKS}/checks.sh ${check})
    math(EXPR ownLimit "${limit} - 10")
    set_tests_properties(install.${check} PROPERTIES
        TIMEOUT ${limit}
        LABELS install
        SKIP_RETURN_CODE 77
        ENVIRONMENT "${GHOULRUN_INSTALL_ENVIRONMENT};E2E_LIMIT=${ownLimit}")
    if(needs STREQUAL builds_package)
        set_tests_properties(install.${check} PROPERTIES FIXTURES_SETUP ghoulrun_package)
    elseif(needs STREQUAL needs_package)
        set_tests_properties(install.${check} PROPERTIES FIXTURES_REQUIRED ghoulrun_package)
    endif()
endforeach()

# Installing into the system and the build's install records are shared with the package build
# and the end-to-end install scenario: one at a time.
set_tests_properties(install.package install.dpkg install.make_install PROPERTIES
    RESOURCE_LOCK ghoulrun_install)
