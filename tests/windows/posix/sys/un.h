#pragma once
// Windows has none of this: see PosixCompat.h.
#include "../../PosixCompat.h"

struct sockaddr_un {
    unsigned short sun_family;
    char sun_path[108];
};
