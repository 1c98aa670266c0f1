#pragma once
// Windows has none of this: see PosixCompat.h.
#include "../../PosixCompat.h"

#define RLIMIT_FSIZE 1
typedef unsigned long long rlim_t;
struct rlimit {
    rlim_t rlim_cur;
    rlim_t rlim_max;
};
inline int setrlimit(int, const rlimit*) {
    return qz_posix_unsupported();
}
inline int getrlimit(int, rlimit*) {
    return qz_posix_unsupported();
}
