# Checks the direction of includes between the folders (cmake -P):
# - a folder of core/ includes only from itself and the folders before it in
#   CORE_LAYERS, and never a wx header or a ui/ header;
# - batch/ includes from core/ and itself, never ui/ or wx;
# - no source of core/ names a message box (a function or a handler that
#   shows one): the core tells what happened, the front ends show it;
# - no compile command of a core source carries a wx flag: a wx define
#   (__WXGTK__, WXUSINGDLL, wxUSE_...) or an include folder of wx (wx-3.2,
#   wx/include, wx3.2.2-...), whatever the rest of its paths are called
#   (COMPILE_COMMANDS, the build's compile_commands.json).
# Before it looks at the tree it checks its own rules on known samples.
# Arguments: -DSOURCE_DIR=... -DCOMPILE_COMMANDS=...

cmake_minimum_required(VERSION 3.25)

set(CORE_LAYERS platform dates progress records facts report jobs)
set(violations "")

# The wx flags of a compile command, in out (empty: none).
function(wx_flags_of command out)
    string(REGEX MATCHALL "(^| )-D_*[wW][xX][A-Za-z0-9_]*" defines " ${command}")
    string(REGEX MATCHALL "(^| )(-I|-isystem |-iquote |-idirafter )[^ ]*/[wW][xX]([-/0-9.][^ ]*)?( |$)"
           folders " ${command} ")
    set(${out} "${defines}${folders}" PARENT_SCOPE)
endfunction()

# The lines of text that name a message box, in out (empty: none).
function(message_box_lines text out)
    string(REPLACE ";" "," text "${text}")  # a ';' would split the list
    string(REGEX MATCHALL "[^\n]*[A-Za-z_]*MessageBox[A-Za-z_0-9]*[^\n]*" lines "${text}")
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# The rules on known samples: a broken rule fails here, not silently below.
set(samples_wrong "")
foreach(flagged IN ITEMS "c++ -D__WXGTK__ -c x.cpp" "c++ -DWXUSINGDLL -c x.cpp"
                         "c++ -DwxUSE_GUI=1 -c x.cpp" "c++ -isystem /usr/include/wx-3.2 -c x.cpp"
                         "c++ -I/usr/lib/x86_64-linux-gnu/wx/include/gtk3-unicode-3.2 -c x.cpp"
                         "c++ -I/root/.cache/qz8840-win/wx3.2.2-1a2b/include -c x.cpp")
    wx_flags_of("${flagged}" flags)
    if(NOT flags)
        list(APPEND samples_wrong "no wx flag found in: ${flagged}")
    endif()
endforeach()
foreach(clean IN ITEMS "c++ -I/work/wt-wx/core -DQZ_WX_FREE=1 -c /srv/wxtools/core/x.cpp"
                       "c++ -I/home/wxuser/src/core -o core/CMakeFiles/qz_core.dir/x.cpp.o")
    wx_flags_of("${clean}" flags)
    if(flags)
        list(APPEND samples_wrong "a wx flag found in: ${clean} (${flags})")
    endif()
endforeach()
message_box_lines("// a message box (text)\nvoid ShowMessageBox(std::string_view text);\n" found)
if(NOT found)
    list(APPEND samples_wrong "a declared ShowMessageBox is not found")
endif()
message_box_lines("// callers show it in a message box\nvoid Tell(const JobSink& sink);\n" found)
if(found)
    list(APPEND samples_wrong "a comment on message boxes is taken for one: ${found}")
endif()
if(samples_wrong)
    list(JOIN samples_wrong "\n" text)
    message(FATAL_ERROR "The layer check's own rules are wrong:\n${text}")
endif()

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
        file(READ "${source}" text)
        message_box_lines("${text}" lines)
        foreach(line IN LISTS lines)
            list(APPEND violations "${source}: names a message box: ${line}")
        endforeach()
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
        wx_flags_of("${command}" flags)
        if(flags)
            list(APPEND violations "a core source is compiled with wx (${flags}): ${command}")
        endif()
    endforeach()
else()
    list(APPEND violations "missing ${COMPILE_COMMANDS}")
endif()

if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Against the layers:\n${text}")
endif()
message(STATUS "Layers hold")
