# Run by CPack on the staged files before it builds the packages: their libraries sit in the
# system library folder, so no ELF file they hold needs an RPATH.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS staged)
    if(IS_SYMLINK ${file})
        continue()
    endif()
    file(READ ${file} magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        file(RPATH_REMOVE FILE ${file})
    endif()
endforeach()
