# The layering rule of the source folders: a core file includes only its own folder or a lower
# one; frm* and Qt* files (the windows and the Qt stand-ins) may include anything. Lists every
# include that breaks the rule and fails when there is one.
#   cmake -DSOURCE_DIR=<folder holding text/, platform/, ...> -P Layering.cmake

# Lowest first; folders of one group stand side by side and do not include each other.
set(groups text platform net "clock,catalogue,define" app "welcome,help" cli)
set(rank 0)
foreach(group IN LISTS groups)
    string(REPLACE "," ";" folders "${group}")
    foreach(folder IN LISTS folders)
        set(level_${folder} ${rank})
    endforeach()
    math(EXPR rank "${rank} + 1")
endforeach()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp
    ${SOURCE_DIR}/*.in)
if(NOT files)
    message(FATAL_ERROR "no sources in ${SOURCE_DIR}")
endif()
set(broken 0)
foreach(file IN LISTS files)
    get_filename_component(name ${file} NAME)
    if(name MATCHES "^(frm|Qt)" OR NOT file MATCHES "/")
        continue()
    endif()
    string(REGEX MATCH "^[^/]+" folder ${file})
    if(NOT DEFINED level_${folder})
        message("${file}: the folder ${folder} has no place in the layering")
        math(EXPR broken "${broken} + 1")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
        string(REGEX MATCH "^[^/]+" target "${included}")
        if(NOT included MATCHES "/" OR NOT DEFINED level_${target})
            message("${file}: includes \"${included}\", which names no source folder")
        elseif(target STREQUAL folder OR level_${target} LESS level_${folder})
            continue()
        else()
            message("${file}: includes \"${included}\": ${target} is not below ${folder}")
        endif()
        math(EXPR broken "${broken} + 1")
    endforeach()
endforeach()

if(broken GREATER 0)
    message(FATAL_ERROR "${broken} include(s) break the layering "
        "(text < platform < net < clock, catalogue, define < app < welcome, help < cli)")
endif()
