# The layers hold: the engine's binaries load no Qt Widgets, and no folder of src/ includes a
# header of a folder above it. A folder may include its own rank or any below.
#   cmake -DSOURCE_DIR=src -DCORE_BINARIES="lib;program" -P layers.cmake
set(ranks
    data 0 export 1 report 2 bulk 2 jobchange 3 letters 4
    sharedlib 5 ui 5 shared 6 component 7
    lineeditor 8 cancel 8 history 8 letterwindow 8 reportwindow 8
    entry 9 bulkwindow 9 register 10)
set(failures)

foreach(binary IN LISTS CORE_BINARIES)
    execute_process(COMMAND readelf -d ${binary} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        list(APPEND failures "readelf -d ${binary} failed")
    elseif(dynamic MATCHES "libQt6(Widgets|PrintSupport|Charts)")
        list(APPEND failures "${binary} needs lib${CMAKE_MATCH_1}")
    endif()
endforeach()

list(LENGTH ranks count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET ranks ${i} folder)
    list(GET ranks ${j} rank)
    set(rank_${folder} ${rank})
endforeach()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(NOT DEFINED rank_${folder})
        list(APPEND failures "src/${folder}/ has no place among the layers (tests/layers.cmake)")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"[a-z]+/")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "^#include \"([a-z]+)/" _ "${line}")
        set(target ${CMAKE_MATCH_1})
        if(DEFINED rank_${target} AND rank_${target} GREATER rank_${folder})
            list(APPEND failures "src/${source} includes ${target}/, a layer above it")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "The layers do not hold:\n  ${text}")
endif()
message(STATUS "The layers hold")
