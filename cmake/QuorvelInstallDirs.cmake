# Where an install puts things, and how the installed programs find their libraries and data.
#
# Installed binaries carry a relative RPATH, so a tree installed with any --prefix (and moved
# afterwards) finds its own libraries; the Debian package strips it again (see
# packaging/strip-rpath.cmake), since its libraries sit in the system's library folder.
set(QUORVEL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorvel)
set(QUORVEL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/quorvel)
set(QUORVEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/quorvel)

file(RELATIVE_PATH QUORVEL_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH QUORVEL_BIN_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/quorvel)
set(QUORVEL_PROGRAM_RPATH "$ORIGIN/${QUORVEL_BIN_TO_LIB}")
set(QUORVEL_LIBRARY_RPATH "$ORIGIN")
