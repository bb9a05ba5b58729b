# Which Debian package each installed file belongs to. Every install rule names a component and
# every component becomes one package (packaging/cpack.cmake): the program, one runtime package
# per shared library named after its soname, and the development package. A rule that names
# none goes with the program, as the report files and schema scripts under share/quorvel/ do.
set(QUORVEL_PROGRAM_PACKAGE quorvel)
set(QUORVEL_DEV_PACKAGE libquorvel-dev)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME ${QUORVEL_PROGRAM_PACKAGE})

# The soname of one of our libraries: libquorvel_core.so.1.
function(quorvel_library_soname target out)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    get_target_property(soversion ${target} SOVERSION)
    set(${out} "lib${name}.so.${soversion}" PARENT_SCOPE)
endfunction()

# The runtime package of a library, as Debian names it after the soname: libquorvel_core.so.1
# gives libquorvel-core1, and a name ending in a digit takes a hyphen (libfoo2.so.1: libfoo2-1).
function(quorvel_library_package target out)
    quorvel_library_soname(${target} soname)
    string(REGEX MATCH "^(.*)\\.so\\.(.*)$" soname "${soname}")
    set(version ${CMAKE_MATCH_2})
    string(TOLOWER "${CMAKE_MATCH_1}" package)
    string(REPLACE "_" "-" package "${package}")
    if(package MATCHES "[0-9]$")
        string(APPEND package "-")
    endif()
    set(${out} "${package}${version}" PARENT_SCOPE)
endfunction()

# The Debian files every package carries: the copyright and changelog in
# /usr/share/doc/<package>/, and lintian's overrides. They describe the package, so a plain
# `cmake --install` leaves them out.
function(quorvel_package_debian_files package)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
        COMPONENT ${package} EXCLUDE_FROM_ALL)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${package}
        COMPONENT ${package} EXCLUDE_FROM_ALL)
endfunction()

# One of the shared libraries: versioned, installed with its development link in the -dev
# package, and packaged on its own. The summary is the package's one-line description.
function(quorvel_install_library target summary)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        INSTALL_RPATH "${QUORVEL_LIBRARY_RPATH}"
        QUORVEL_PACKAGE_SUMMARY "${summary}")
    quorvel_library_package(${target} package)
    install(TARGETS ${target} EXPORT QuorvelTargets
        LIBRARY COMPONENT ${package} NAMELINK_COMPONENT ${QUORVEL_DEV_PACKAGE}
        INCLUDES DESTINATION ${QUORVEL_INSTALL_INCLUDEDIR})
    quorvel_package_debian_files(${package})
    set_property(GLOBAL APPEND PROPERTY QUORVEL_LIBRARIES ${target})
endfunction()
