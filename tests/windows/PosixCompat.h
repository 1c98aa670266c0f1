#pragma once
// The POSIX calls of the shared test sources, so that they build for Windows
// unchanged: the helpers' calls (environment, temporary folders) in terms of
// the Windows C runtime; the calls that Windows has no counterpart for (FIFOs,
// symbolic links without privilege, advisory locks, fork, resource limits,
// local sockets) fail with ENOSYS, and the tests that need them are left out
// by name in CMakeLists.txt. The posix/ folder beside this holds the headers
// that declare them.

#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifndef O_DIRECTORY
#define O_DIRECTORY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef SIGXFSZ
#define SIGXFSZ 25
#endif

#ifdef __cplusplus
extern "C++" {

inline int setenv(const char* name, const char* value, int /*overwrite*/) {
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name) {
    return _putenv_s(name, "");  // an empty value removes the variable
}

// Replaces the trailing XXXXXX and creates the folder; tries again while the
// name is taken.
inline char* mkdtemp(char* pattern) {
    const size_t length = strlen(pattern);
    char* const end = pattern + length - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        static unsigned counter = 0;
        unsigned value = (static_cast<unsigned>(_getpid()) << 8) ^ (++counter * 2654435761u);
        for (char* p = end; *p != '\0'; ++p, value /= 26) {
            *p = static_cast<char>('a' + value % 26);
        }
        if (_mkdir(pattern) == 0) {
            return pattern;
        }
    }
    return nullptr;
}

inline int qz_posix_unsupported() {
    errno = ENOSYS;
    return -1;
}
inline int mkfifo(const char*, int) {
    return qz_posix_unsupported();
}
inline int symlink(const char*, const char*) {
    return qz_posix_unsupported();
}
inline unsigned geteuid() {
    return 1000;  // never the administrator the POSIX tests skip for
}
inline pid_t fork() {
    return qz_posix_unsupported();
}
inline int pipe(int fds[2]) {
    return _pipe(fds, 4096, 0x8000 /* _O_BINARY */);
}
}
#endif
