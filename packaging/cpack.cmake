# The Debian package: `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "job changes for payroll clerks")
set(CPACK_PACKAGE_CONTACT "Quorvel maintainers <maintainers@quorvel.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"A saved job change moves an employee to a new designation, grade and basic
pay from a date and revises the standing allowances and deductions; it is
applied to the employee master at once and withdrawn only by cancelling it.
.
This package holds the component libraries a payroll host loads (libquorvel
and the shared routines of libbrastel), the headers, CMake package and
pkg-config file to build a host against them, the quorvel-host program with
its menu entry, the report layout and the database schema scripts for
SQLite, PostgreSQL and SQL Server.")
# The libraries the programs link come from dpkg-shlibdeps; the plugins Qt loads at run time
# (database drivers, the X11 platform) and the ODBC driver manager it cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-odbc, libqt6sql6-psql, qt6-qpa-plugins, unixodbc")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-base-dev, postgresql-client, libsqliteodbc")

# Installed binaries carry a relative RPATH for prefix installs; the package's libraries live in
# the system library folder, where Debian wants none.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip-rpath.cmake)
set(CPACK_QUORVEL_RPATH_FILES
    ${CMAKE_INSTALL_BINDIR}/quorvel-host
    ${CMAKE_INSTALL_LIBDIR}/libquorvel.so.${PROJECT_VERSION}
    ${CMAKE_INSTALL_LIBDIR}/libbrastel.so.${PROJECT_VERSION}
    ${CMAKE_INSTALL_LIBDIR}/libquorvel_data.so.${PROJECT_VERSION})

include(CPack)
