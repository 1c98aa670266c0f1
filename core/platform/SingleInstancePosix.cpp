#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace qz {

namespace {

std::string LockFileBase(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/" + name;
    }
    return "/tmp/" + name + "-" + std::to_string(::getuid());
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

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const std::string& name) {
    const std::string base = LockFileBase(name);
    m_socketPath = base + ".sock";
    const std::string path = base + ".lock";
    m_fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        return;  // no lock file possible: run rather than refuse to start
    }
    int result = 0;
    while ((result = ::flock(m_fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        m_alreadyExists = (errno == EWOULDBLOCK);
        CloseFd(m_fd);
    }
}

SingleInstanceGuard::~SingleInstanceGuard() {
    Release();
}

bool SingleInstanceGuard::AskHolderToShow() const {
    sockaddr_un address;
    if (!MakeAddress(m_socketPath, address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    int result = 0;
    while ((result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address))) !=
               0 &&
           errno == EINTR) {
    }
    ::close(fd);
    return result == 0;  // the connection is the request
}

bool SingleInstanceGuard::ListenForShowRequests(std::function<void()> onShowRequest) {
    sockaddr_un address;
    if (m_fd < 0 || m_listenFd >= 0 || !MakeAddress(m_socketPath, address)) {
        return false;
    }
    // Holding the lock makes any socket left there a dead holder's.
    ::unlink(m_socketPath.c_str());
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0 || ::pipe2(m_stopPipe, O_CLOEXEC) != 0 ||
        ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_listenFd, 4) != 0) {
        CloseFd(m_listenFd);
        CloseFd(m_stopPipe[0]);
        CloseFd(m_stopPipe[1]);
        return false;
    }
    m_listener = std::thread(
        [listenFd = m_listenFd, stopFd = m_stopPipe[0], onShowRequest = std::move(onShowRequest)] {
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
                const int connection = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
                if (connection >= 0) {
                    ::close(connection);
                    onShowRequest();
                }
            }
        });
    return true;
}

void SingleInstanceGuard::StopListening() {
    if (m_listener.joinable()) {
        const char stop = 0;
        while (::write(m_stopPipe[1], &stop, 1) < 0 && errno == EINTR) {
        }
        m_listener.join();
    }
    if (m_listenFd >= 0) {
        ::unlink(m_socketPath.c_str());  // while the lock still says it is ours
    }
    CloseFd(m_listenFd);
    CloseFd(m_stopPipe[0]);
    CloseFd(m_stopPipe[1]);
}

void SingleInstanceGuard::Release() {
    StopListening();
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        CloseFd(m_fd);
    }
}

}  // namespace qz
