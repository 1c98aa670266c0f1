#pragma once
// What the Windows implementations of the platform services share: text at
// the system boundary (the program's strings are UTF-8, the system's UTF-16),
// the system's reason for an error, and kernel handles kept in the int fields
// the headers declare (a kernel handle's value fits 32 bits on every Windows,
// which is what lets handles pass between 32- and 64-bit processes).

#include <windows.h>

#include <string>
#include <string_view>

namespace qz::win {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

// The system's text for an error code (GetLastError), without the final
// period and line end.
std::string SystemReason(DWORD error);

}  // namespace qz::win
