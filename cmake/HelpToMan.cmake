# Writes the manual page of the batch command from its --help, so that the
# page always says what the program does:
#   cmake -DPROGRAM=<qz8840-report> -DVERSION=<x.y> -DOUT=<file.1> -P HelpToMan.cmake
# The help's first line is the description; the rest (usage, options, exit
# statuses) is kept as it is laid out, in a no-fill block.
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()
# roff: a backslash is \e, a minus sign \-, and a line that begins with a dot
# or an apostrophe would be a request unless \& comes first.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" help "${help}")
string(FIND "${help}" "\n" end)
string(SUBSTRING "${help}" 0 ${end} description)
string(SUBSTRING "${help}" ${end} -1 rest)
string(STRIP "${rest}" rest)
file(WRITE "${OUT}" ".TH QZ8840-REPORT 1 \"\" \"qz8840-report ${VERSION}\" \"User Commands\"
.SH NAME
qz8840-report \\- production report of OK and NG chip writes, on the command line
.SH DESCRIPTION
${description}
.PP
.nf
${rest}
.fi
.SH SEE ALSO
.BR qz8840-reporter (1)
")
