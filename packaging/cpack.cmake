# The Debian packages: `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr
# gives one package per install component (cmake/QuorvelPackages.cmake): the program, a runtime
# package per shared library and the development package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel")
set(CPACK_PACKAGE_CONTACT "Quorvel maintainers <maintainers@quorvel.invalid>"
    CACHE STRING "Maintainer named in the Debian packages")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# Each package's description begins with its own summary; CPack would put a shared one first.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE quorvel)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our libraries depend on each other through the component dependencies below; dpkg-shlibdeps
# finds them in the build (it has no package to ask yet) and adds the system's libraries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# The Debian revision is the one of the newest changelog entry, whose upstream version must be
# the project's: a new version needs a new entry.
set(QUORVEL_DEBIAN_DIR ${CMAKE_CURRENT_LIST_DIR}/debian)
file(STRINGS ${QUORVEL_DEBIAN_DIR}/changelog QUORVEL_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT QUORVEL_CHANGELOG_TOP MATCHES "^quorvel \\(([^)-]+)-([^)]+)\\) ")
    message(FATAL_ERROR "packaging/debian/changelog: no version in '${QUORVEL_CHANGELOG_TOP}'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/debian/changelog: the newest entry is for ${CMAKE_MATCH_1}; "
                        "add one for ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

set(QUORVEL_ABOUT
"A saved job change moves an employee to a new designation, grade and basic
pay from a date and revises the standing allowances and deductions; it is
applied to the employee master at once and withdrawn only by cancelling it.
.")

# The program, its menu entry and manual page, and the data folder.
string(TOUPPER ${QUORVEL_PROGRAM_PACKAGE} program)
set(CPACK_DEBIAN_${program}_PACKAGE_NAME ${QUORVEL_PROGRAM_PACKAGE})
set(CPACK_DEBIAN_${program}_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_${program}_DESCRIPTION "register of job changes for payroll clerks
${QUORVEL_ABOUT}
This package holds the quorvel-host program with its menu entry, the report
layouts and the database schema scripts for SQLite, PostgreSQL and SQL Server.")
# The plugins Qt loads at run time (database drivers, the X11 platform) and the ODBC driver
# manager, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_${program}_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-odbc, libqt6sql6-psql, qt6-qpa-plugins, unixodbc")
set(CPACK_DEBIAN_${program}_PACKAGE_RECOMMENDS "tdsodbc")
set(CPACK_DEBIAN_${program}_PACKAGE_SUGGESTS "postgresql-client, libsqliteodbc")

# A runtime package per library, depending on the packages of our libraries it links.
get_property(QUORVEL_LIBRARIES GLOBAL PROPERTY QUORVEL_LIBRARIES)
set(QUORVEL_PACKAGES ${QUORVEL_PROGRAM_PACKAGE} ${QUORVEL_DEV_PACKAGE})
set(QUORVEL_LIBRARY_PACKAGES)
foreach(library IN LISTS QUORVEL_LIBRARIES)
    quorvel_library_package(${library} package)
    list(APPEND QUORVEL_LIBRARY_PACKAGES ${package})
    string(TOUPPER ${package} component)
    get_target_property(summary ${library} QUORVEL_PACKAGE_SUMMARY)
    quorvel_library_soname(${library} soname)
    set(CPACK_DEBIAN_${component}_PACKAGE_NAME ${package})
    set(CPACK_DEBIAN_${component}_PACKAGE_SECTION libs)
    set(CPACK_COMPONENT_${component}_DESCRIPTION "${summary}
${QUORVEL_ABOUT}
This package holds the shared library ${soname}.")
    # The trigger runs ldconfig once dpkg is done (see ldconfig-trigger.cmake).
    set(CPACK_DEBIAN_${component}_PACKAGE_CONTROL_EXTRA ${QUORVEL_DEBIAN_DIR}/triggers)
    set(CPACK_DEBIAN_${component}_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    get_target_property(links ${library} LINK_LIBRARIES)
    set(CPACK_COMPONENT_${component}_DEPENDS)
    foreach(link IN LISTS links)
        if(link IN_LIST QUORVEL_LIBRARIES)
            quorvel_library_package(${link} dependency)
            list(APPEND CPACK_COMPONENT_${component}_DEPENDS ${dependency})
        endif()
    endforeach()
endforeach()
list(APPEND QUORVEL_PACKAGES ${QUORVEL_LIBRARY_PACKAGES})
# The program loads every one of them.
set(CPACK_COMPONENT_${program}_DEPENDS ${QUORVEL_LIBRARY_PACKAGES})

# Headers, development links, the CMake package and the pkg-config file.
string(TOUPPER ${QUORVEL_DEV_PACKAGE} dev)
set(CPACK_DEBIAN_${dev}_PACKAGE_NAME ${QUORVEL_DEV_PACKAGE})
set(CPACK_DEBIAN_${dev}_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_${dev}_DESCRIPTION "Quorvel job changes - development files
${QUORVEL_ABOUT}
This package holds the headers, the CMake package (find_package(Quorvel)) and
the pkg-config file (quorvel) to build a payroll host against the libraries.")
set(CPACK_COMPONENT_${dev}_DEPENDS ${QUORVEL_LIBRARY_PACKAGES})
# What find_package(Quorvel) and pkg-config look for in turn.
set(CPACK_DEBIAN_${dev}_PACKAGE_DEPENDS "qt6-base-dev, qt6-charts-dev")

# An install rule with a component of its own would make a package nobody described.
get_cmake_property(QUORVEL_COMPONENTS COMPONENTS)
foreach(component IN LISTS QUORVEL_COMPONENTS)
    if(NOT component IN_LIST QUORVEL_PACKAGES)
        message(FATAL_ERROR "install component '${component}' is not one of the packages "
                            "(${QUORVEL_PACKAGES}); see cmake/QuorvelPackages.cmake")
    endif()
endforeach()
set(CPACK_COMPONENTS_ALL ${QUORVEL_PACKAGES})

# Installed binaries carry a relative RPATH for prefix installs; the packages' libraries live in
# the system library folder, where Debian wants none.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip-rpath.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/ldconfig-trigger.cmake)

include(CPack)
