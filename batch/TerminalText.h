#pragma once
// Text from the disk or the command line, made safe to print on a terminal:
// a control byte in a setting-file value or a file name must not move the
// cursor, retitle the window or clear the screen.

#include <string>
#include <string_view>

namespace qz {

// text with every C0 control byte, DEL, and every byte 0x80-0x9F that is not
// inside a well-formed UTF-8 letter (and the UTF-8 forms of U+0080-U+009F)
// written as a visible escape such as "\x1B". All other bytes stay as they are,
// so UTF-8 and ISO-8859-1 letters read unchanged.
std::string TerminalText(std::string_view text);

// As TerminalText, but a line feed stays one: for messages of several lines.
std::string TerminalLines(std::string_view text);

}  // namespace qz
