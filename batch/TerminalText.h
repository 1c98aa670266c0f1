#pragma once
// Text from the disk or the command line, made safe to print on a terminal:
// a control byte in a setting-file value or a file name must not move the
// cursor, retitle the window or clear the screen.

#include <string>
#include <string_view>

namespace qz {

// text read as NameToUtf8 reads a name (UTF-8, else the legacy encoding), in
// UTF-8, with every C0 control byte, DEL and the UTF-8 form of every C1
// control (U+0080-U+009F) written as visible escapes such as "\x1B".
std::string TerminalText(std::string_view text);

// As TerminalText, but a line feed stays one: for messages of several lines.
std::string TerminalLines(std::string_view text);

}  // namespace qz
