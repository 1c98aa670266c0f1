#pragma once
// Windows has none of this: see PosixCompat.h.
#include "../../PosixCompat.h"

#define WIFEXITED(status) (((status)&0x7f) == 0)
#define WEXITSTATUS(status) (((status) >> 8) & 0xff)
inline pid_t waitpid(pid_t, int*, int) {
    return qz_posix_unsupported();
}
