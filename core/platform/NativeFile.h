#pragma once
// An open file as the system names it, for the members of the platform
// services: a file descriptor on POSIX, a kernel handle on Windows (kept as
// void*, HANDLE's type, so that the header needs no windows.h).

namespace qz {

#ifdef _WIN32
using NativeFile = void*;
inline constexpr NativeFile kNoFile = nullptr;
#else
using NativeFile = int;
inline constexpr NativeFile kNoFile = -1;
#endif

}  // namespace qz
