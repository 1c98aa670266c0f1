#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

namespace qz {

namespace {

// The folder of the lock and the socket: $XDG_RUNTIME_DIR, which the system
// makes private to the user; else a folder of this user's own under $TMPDIR
// (else /tmp), made 0700 and checked to be a folder (not a symbolic link)
// that belongs to this user and that no one else may enter. "" when it is
// not: another user made it first.
std::string GuardFolder(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return runtime;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") + "/" + name +
                         "-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return "";
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid()) {
        return "";
    }
    if ((status.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        return "";
    }
    return folder;
}

// False when path does not fit a socket address.
bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Connects fd to address and waits for the holder's answer byte while left()
// gives time. False when the holder does not listen or does not answer.
template <typename Left>
bool AwaitAnswer(int fd, const sockaddr_un& address, const Left& left) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        // EAGAIN: the holder's queue of requests is full (it is stopped).
        if (errno != EINPROGRESS && errno != EINTR) {
            return false;
        }
        pollfd writable{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (::poll(&writable, 1, left()) <= 0 ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return false;
        }
    }
    pollfd readable{fd, POLLIN, 0};
    while (::poll(&readable, 1, left()) > 0) {
        char answer = 0;
        const ssize_t got = ::read(fd, &answer, 1);
        if (got == 1) {
            return true;
        }
        if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
            return false;
        }
    }
    return false;
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

struct SingleInstanceGuard::State {
    std::string socketPath;
    int lockFd = -1;
    int listenFd = -1;
    int stopPipe[2] = {-1, -1};
};

SingleInstanceGuard::SingleInstanceGuard(const std::string& name)
    : m_state(std::make_unique<State>()) {
    const std::string folder = GuardFolder(name);
    if (folder.empty()) {
        return;  // no folder of this user's own: run rather than refuse to start
    }
    const std::string base = folder + "/" + name;
    m_state->socketPath = base + ".sock";
    const std::string path = base + ".lock";
    m_state->lockFd =
        ::open(path.c_str(), O_CREAT | O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (m_state->lockFd < 0) {
        return;  // no lock file possible: run rather than refuse to start
    }
    int result = 0;
    while ((result = ::flock(m_state->lockFd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        m_alreadyExists = (errno == EWOULDBLOCK);
        CloseFd(m_state->lockFd);
    }
}

SingleInstanceGuard::~SingleInstanceGuard() {
    Release();
}

bool SingleInstanceGuard::AskHolderToShow() const {
    sockaddr_un address;
    if (!MakeAddress(m_state->socketPath, address)) {
        return false;
    }
    // The holder may not listen yet (it is starting), and a stopped holder
    // never answers: ask again until the wait is over, never blocking.
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    const auto left = [&deadline] {
        const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::int64_t>(rest.count(), 0));
    };
    while (left() > 0) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        if (AwaitAnswer(fd, address, left)) {
            ::close(fd);
            return true;
        }
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, left())));
    }
    return false;
}

bool SingleInstanceGuard::ListenForShowRequests(std::function<void()> onShowRequest) {
    sockaddr_un address;
    if (m_state->lockFd < 0 || m_state->listenFd >= 0 ||
        !MakeAddress(m_state->socketPath, address)) {
        return false;
    }
    // Holding the lock makes any socket left there a dead holder's.
    ::unlink(m_state->socketPath.c_str());
    m_state->listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_state->listenFd < 0 || ::pipe2(m_state->stopPipe, O_CLOEXEC) != 0 ||
        ::bind(m_state->listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) !=
            0 ||
        ::listen(m_state->listenFd, 4) != 0) {
        CloseFd(m_state->listenFd);
        CloseFd(m_state->stopPipe[0]);
        CloseFd(m_state->stopPipe[1]);
        return false;
    }
    m_listener = std::thread([listenFd = m_state->listenFd, stopFd = m_state->stopPipe[0],
                              onShowRequest = std::move(onShowRequest)] {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        while (true) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[1].revents != 0) {
                return;
            }
            const int connection =
                ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (connection >= 0) {
                onShowRequest();
                // The answer: the request is taken. A caller that is gone
                // makes the write fail, which changes nothing here.
                const char answer = 1;
                (void)::send(connection, &answer, 1, MSG_NOSIGNAL);
                ::close(connection);
            }
        }
    });
    return true;
}

void SingleInstanceGuard::StopListening() {
    if (m_listener.joinable()) {
        const char stop = 0;
        while (::write(m_state->stopPipe[1], &stop, 1) < 0 && errno == EINTR) {
        }
        m_listener.join();
    }
    if (m_state->listenFd >= 0) {
        ::unlink(m_state->socketPath.c_str());  // while the lock still says it is ours
    }
    CloseFd(m_state->listenFd);
    CloseFd(m_state->stopPipe[0]);
    CloseFd(m_state->stopPipe[1]);
}

void SingleInstanceGuard::Release() {
    StopListening();
    if (m_state->lockFd >= 0) {
        ::flock(m_state->lockFd, LOCK_UN);
        CloseFd(m_state->lockFd);
    }
}

}  // namespace qz
