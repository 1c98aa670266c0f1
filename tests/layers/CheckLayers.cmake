# Checks the direction of includes between the folders (cmake -P):
# - a folder of core/ includes only from itself and the folders before it in
#   CORE_LAYERS, and never a wx header or a ui/ header;
# - batch/ includes from core/ and itself, never ui/ or wx;
# - no compile command of a core source carries a wx include path or define
#   (COMPILE_COMMANDS, the build's compile_commands.json).
# Arguments: -DSOURCE_DIR=... -DCOMPILE_COMMANDS=...

cmake_minimum_required(VERSION 3.25)

set(CORE_LAYERS platform dates progress records report jobs)
set(violations "")

function(check_includes file allowed)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(line MATCHES "<wx/")
            list(APPEND violations "${file}: ${line}")
        elseif(line MATCHES "\"([A-Za-z0-9_]+)/")
            if(NOT CMAKE_MATCH_1 IN_LIST allowed)
                list(APPEND violations "${file}: ${line}")
            endif()
        endif()
    endforeach()
    set(violations "${violations}" PARENT_SCOPE)
endfunction()

set(below "")
foreach(layer IN LISTS CORE_LAYERS)
    list(APPEND below ${layer})
    file(GLOB_RECURSE sources "${SOURCE_DIR}/core/${layer}/*.h" "${SOURCE_DIR}/core/${layer}/*.cpp")
    foreach(source IN LISTS sources)
        check_includes("${source}" "${below}")
    endforeach()
endforeach()

file(GLOB_RECURSE batch_sources "${SOURCE_DIR}/batch/*.h" "${SOURCE_DIR}/batch/*.cpp")
foreach(source IN LISTS batch_sources)
    check_includes("${source}" "${CORE_LAYERS};batch")
endforeach()

if(EXISTS "${COMPILE_COMMANDS}")
    file(READ "${COMPILE_COMMANDS}" commands)
    string(REGEX MATCHALL "\"command\": \"[^\n]*qz_core\\.dir[^\n]*\"" core_commands "${commands}")
    if(NOT core_commands)
        list(APPEND violations "${COMPILE_COMMANDS}: no compile command of a core source")
    endif()
    foreach(command IN LISTS core_commands)
        if(command MATCHES "wx")
            list(APPEND violations "a core source is compiled with wx: ${command}")
        endif()
    endforeach()
else()
    list(APPEND violations "missing ${COMPILE_COMMANDS}")
endif()

if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Includes against the layers:\n${text}")
endif()
message(STATUS "Layers hold")
