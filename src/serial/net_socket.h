#ifndef NET_SOCKET_H
#define NET_SOCKET_H

// The few socket calls the network line needs, one implementation file per
// system (net_socket_posix.cpp, net_socket_win.cpp), so that serial_net.cpp
// sees neither <sys/socket.h> nor <winsock2.h>. Errors are the system's
// codes (errno, or WSAGetLastError() on Windows), resolver errors as the
// resolver gives them.

#include <cstddef>
#include <cstdint>
#include <string>

namespace netsocket {

using Socket = std::intptr_t;
constexpr Socket NoSocket = -1;
// Asked between the slices of a long wait: non-zero ends the wait early
// (the process was asked to stop). May be null.
using StopCheck = int (*)() noexcept;
// The longest slice of a wait that a StopCheck cuts short.
constexpr int StopSliceMs = 50;

// Resolves host, then connects to each address it has in turn until one
// takes the connection, all within timeoutMs, or until stop says so
// (interruptedError()). Returns 0 with a non-blocking
// socket that sends every write at once (no Nagle), or the error of the
// last address tried (the resolver's when the name does not resolve; a
// time-out when the time ran out).
int connectTo(const std::string &host, const std::string &port, unsigned timeoutMs,
              StopCheck stop, Socket &connected);
// 1 when the socket is ready to read (or to write), 0 when ms passed first,
// -1 on failure (see lastError()).
int waitReady(Socket socket, bool forWriting, int ms);
// Bytes received (> 0), 0 when the peer closed, -1 on failure.
long receiveSome(Socket socket, unsigned char *bytes, std::size_t size);
// Bytes taken (> 0), or -1 on failure; never raises SIGPIPE.
long sendSome(Socket socket, const unsigned char *bytes, std::size_t size);
int lastError();
// The call may simply be made again (would block, interrupted).
bool isTransient(int error);
// Sends FIN, waits at most lingerMs for the peer to close its side, closes.
void closeGracefully(Socket socket, unsigned lingerMs);
void closeAbruptly(Socket socket);

int timedOutError();
int interruptedError();     // a StopCheck ended the wait
int protocolError();        // the server answered other than asked
int closedByPeerError();    // the peer ended the connection

// Keeps Tarexa's own processes from using one address at once, as the lock
// of a local port does: acquire() fails with a busy error (see
// serialIsBusyError) while another holds the address. Where the lock
// cannot be made at all (no temporary folder), it does not stand in the
// way. Released by release() or the destructor.
class AddressLock
{
public:
    AddressLock() = default;
    ~AddressLock() { release(); }
    AddressLock(const AddressLock &) = delete;
    AddressLock &operator=(const AddressLock &) = delete;

    int acquire(const std::string &identity);
    void release();

private:
    std::intptr_t m_handle = -1;
};

// A file name for identity: letters, digits, dots and dashes as they are,
// every other byte as "_" and two hex digits.
std::string lockFileName(const std::string &identity);

} // namespace netsocket

#endif // NET_SOCKET_H
