#pragma once
// The command line and the console in UTF-8, the core's text, on every system.
// On Windows the arguments are taken as the system holds them (UTF-16) rather
// than in the ANSI code page, which cannot hold every name; the console shows
// UTF-8 output as its characters, and redirected output gets the UTF-8 bytes.

namespace qz {

using MainFunction = int (*)(int argc, char** argv);

// Runs main with the arguments in UTF-8 and the console set for UTF-8 output
// (restored when the process ends); returns main's status.
int RunWithUtf8CommandLine(int argc, char** argv, MainFunction main);

}  // namespace qz
