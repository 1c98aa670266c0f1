#pragma once
// Windows has none of this: see PosixCompat.h.
#include "../../PosixCompat.h"

#define WIFEXITED(status) (((status)&0x7f) == 0)
#define WEXITSTATUS(status) (((status) >> 8) & 0xff)
inline int waitpid(int, int*, int) {
    return qz_posix_unsupported();
}
