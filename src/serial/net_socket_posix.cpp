// POSIX sockets for the network line.

#include "net_socket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netsocket {

namespace {

using Clock = std::chrono::steady_clock;

int fdOf(Socket socket)
{
    return static_cast<int>(socket);
}

// Rounded up: with a fraction of a millisecond left, a wait waits for it
// instead of polling without a time-out until it has passed.
int millisecondsLeft(Clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = ceil<milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int resolverError(int code)
{
    return code == EAI_SYSTEM ? (errno ? errno : EIO) : code;
}

// Waits for the connection in slices, so that a stop is seen soon.
int awaitConnection(int fd, Clock::time_point deadline, StopCheck stop)
{
    for (;;) {
        if (stop && stop())
            return EINTR;
        const int left = millisecondsLeft(deadline);
        const int ready = waitReady(fd, true, stop ? std::min(left, StopSliceMs) : left);
        if (ready < 0)
            return errno;
        if (ready > 0)
            return 0;
        if (Clock::now() >= deadline)
            return ETIMEDOUT;
    }
}

// One address: a non-blocking connect, waited for until deadline.
int connectOne(const addrinfo &address, Clock::time_point deadline, StopCheck stop, int &fd)
{
    fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                  address.ai_protocol);
    if (fd < 0)
        return errno;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    if (const int error = awaitConnection(fd, deadline, stop))
        return error;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

} // namespace

int connectTo(const std::string &host, const std::string &port, unsigned timeoutMs,
              StopCheck stop, Socket &connected)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo *found = nullptr;
    if (const int code = getaddrinfo(host.c_str(), port.c_str(), &hints, &found))
        return resolverError(code);
    int error = ETIMEDOUT;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        int fd = -1;
        error = connectOne(*a, deadline, stop, fd);
        if (error == 0) {
            const int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            connected = fd;
            break;
        }
        if (fd >= 0)
            ::close(fd);
        if (Clock::now() >= deadline || error == EINTR)
            break;
    }
    freeaddrinfo(found);
    return error;
}

int waitReady(Socket socket, bool forWriting, int ms)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pollfd p = { fdOf(socket), short(forWriting ? POLLOUT : POLLIN), 0 };
        const int ready = poll(&p, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        // An error or a hang-up is "ready": the next call tells what it is.
        return ready > 0 ? 1 : ready;
    }
}

// A device server with Nagle on (ser2net turns it on) holds the rest of a
// reply until the first part is acknowledged, and Linux may delay that ACK
// by up to 40 ms: acknowledge at once. Linux clears the flag as it goes,
// so it is set again after every read.
long receiveSome(Socket socket, unsigned char *bytes, std::size_t size)
{
    const long got = static_cast<long>(::recv(fdOf(socket), bytes, size, 0));
#ifdef TCP_QUICKACK
    if (got > 0) {      // a failed read keeps its errno for the caller
        const int on = 1;
        setsockopt(fdOf(socket), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
#endif
    return got;
}

long sendSome(Socket socket, const unsigned char *bytes, std::size_t size)
{
    return static_cast<long>(::send(fdOf(socket), bytes, size, MSG_NOSIGNAL));
}

int lastError()
{
    return errno ? errno : EIO;
}

bool isTransient(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

void closeGracefully(Socket socket, unsigned lingerMs)
{
    const int fd = fdOf(socket);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(lingerMs);
    if (::shutdown(fd, SHUT_WR) == 0) {
        unsigned char rest[512];
        while (waitReady(socket, false, millisecondsLeft(deadline)) > 0) {
            const ssize_t n = ::recv(fd, rest, sizeof rest, 0);
            if (n == 0 || (n < 0 && !isTransient(errno)))
                break;
        }
    }
    ::close(fd);
}

void closeAbruptly(Socket socket)
{
    ::close(fdOf(socket));
}

int timedOutError()
{
    return ETIMEDOUT;
}

int interruptedError()
{
    return EINTR;
}

int protocolError()
{
    return EPROTO;
}

int closedByPeerError()
{
    return ECONNRESET;
}

// A file under /tmp for every user's processes, locked as a local port is.
// A file of that name left by another user is opened for reading, which is
// all flock needs, and not created again.
int AddressLock::acquire(const std::string &identity)
{
    release();
    const std::string path = "/tmp/tarexa-" + lockFileName(identity) + ".lock";
    // Another user may have put something at this name in /tmp: never
    // follow a link there, never create a file anywhere else, and never
    // wait on a pipe put there.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT)
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 && errno == EEXIST)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return 0;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? error : 0;
    }
    m_handle = fd;
    return 0;
}

void AddressLock::release()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
}

} // namespace netsocket
