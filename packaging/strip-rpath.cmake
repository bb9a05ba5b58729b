# Run by CPack on the staged files before it builds the package: the Debian package's libraries
# sit in the system library folder, so its binaries need no RPATH.
foreach(file IN LISTS CPACK_QUORVEL_RPATH_FILES)
    set(staged ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${file})
    if(NOT EXISTS ${staged})
        message(FATAL_ERROR "strip-rpath: no ${staged}")
    endif()
    file(RPATH_REMOVE FILE ${staged})
endforeach()
