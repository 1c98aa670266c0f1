#pragma once
// Windows has none of this: see PosixCompat.h.
#include "../../PosixCompat.h"

#define AF_UNIX 1
#define SOCK_STREAM 1
struct sockaddr {
    unsigned short sa_family;
};
inline int socket(int, int, int) {
    return qz_posix_unsupported();
}
inline int bind(int, const sockaddr*, unsigned) {
    return qz_posix_unsupported();
}
