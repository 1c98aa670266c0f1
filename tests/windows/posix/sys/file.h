#pragma once
// Windows has none of this: see PosixCompat.h.
#include "../../PosixCompat.h"

#define LOCK_SH 1
#define LOCK_EX 2
#define LOCK_NB 4
#define LOCK_UN 8
inline int flock(int, int) {
    return qz_posix_unsupported();
}
