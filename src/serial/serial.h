#ifndef SERIAL_H
#define SERIAL_H

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class NetworkLine;

// MSerial: one serial port, used synchronously.
//
// OpenDevice opens the port exclusively (a port held by anyone else fails
// to open and keeps its settings), remembers the settings it found, and sets
// raw 8-bit transfer at 19200 baud, 8N1, no flow control, DTR and RTS on.
// CloseDevice puts the remembered settings back and closes the port; it
// never reports failure. The remembered settings live in one record shared
// by all objects of a thread, so only one port can be open in a thread at a
// time; each thread that programs a scale of its own has its own record.
//
// Failures are results, never messages: OpenDevice and ConfigureDevice
// return false, ReadBytes returns fewer bytes than asked (0 on time-out or
// when the device went away), WriteBytes returns how many bytes went out.
// After a failed OpenDevice or ConfigureDevice, or a WriteBytes that did
// not send every byte, LastError() holds the system error code of the step
// that failed (errno on POSIX, GetLastError() on Windows); after one that
// worked it is 0.
//
// The destructor does not close the port: whoever opened it closes it (a
// network connection left open is only let go of, without its goodbye).
//
// A device name that starts with "tcp://" or "rfc2217://" is a network
// address (see serialNetworkAddress) and is opened as a TCP connection
// instead of a local port, with the same contract: "tcp://" carries the
// bytes as they are; "rfc2217://" speaks Telnet with the COM Port Control
// option, so that ConfigureDevice sets the server's port (and checks its
// answers) and FlushBytes has the server purge its buffers too. Opening
// takes at most the connect time-out (see setConnectTimeout) once the name
// is resolved; a peer that closed or reset the connection reads as a
// device that went away, and later writes fail with the reason. For a
// network address LastError() may also be a resolver error (see
// serialErrorText); the modem lines, the flow control and the restored
// settings of a local port do not apply (the server keeps its own).
//
// Trace: when comm_debug is set, every byte read or written is logged to it
// as " I-0xNN" or " O-0xNN", eight to a line.
// Dry run: when suppressWrite is set, WriteBytes sends nothing (it still
// traces) and FlushBytes discards nothing.
class MSerial
{
public:
    MSerial();
    ~MSerial();
    MSerial(MSerial &&other) noexcept;
    MSerial &operator=(MSerial &&other) noexcept;

    // theName is a device path (see serialDevicePath).
    bool OpenDevice(const char *theName);
    // baudRate: 300 ... 115200 as is, anything else 19200; dataBits: 7, or
    // else 8; stopBits: 2, or else 1; parity: 1 odd, 2 even, else none.
    // cooked has no effect.
    bool ConfigureDevice(uint32_t baudRate, uint8_t dataBits, uint8_t stopBits,
                         uint8_t parity, bool cooked);
    // Waits at most timeOut microseconds in all (whole milliseconds, at
    // least one) for up to maxBytes bytes; returns as soon as they are there.
    unsigned ReadBytes(unsigned char *theBytes, unsigned maxBytes, unsigned timeOut);
    // Returns once the system has taken every byte.
    int32_t WriteBytes(const unsigned char *theBytes, unsigned numBytes);
    // Discards everything pending in both directions.
    void FlushBytes();
    void CloseDevice();

    // True when at least one received byte is waiting. timeOut has no effect.
    bool ByteWaiting(unsigned timeOut);
    // Leaves an out-value untouched when the port uses a setting outside
    // what the arguments can express (e.g. mark parity).
    void GetDeviceConfiguration(uint32_t &baudRate, uint8_t &dataBits,
                                uint8_t &stopBits, uint8_t &parity);
    // RTS/CTS handshake on or off. Always returns true.
    bool ConfigureFlowControl(bool wantControl);
    // Both false when the device has no modem lines.
    void GetDeviceStatus(bool &CTS, bool &DCD);
    void SetDTR(bool DTR);
    void SetRTS(bool RTS);

    int LastError() const { return m_lastError; }
    // How long opening a network address may wait for the connection and
    // for the server's answers, and a write for room to send, in
    // milliseconds (10 s unless set). Local ports do not use it.
    void setConnectTimeout(unsigned ms) { m_connectTimeoutMs = ms; }
    // Asked while opening a network address waits for the connection or the
    // server's answers: non-zero gives up (LastError() then says
    // interrupted). Local ports open at once and do not ask.
    void setStopCheck(int (*stopRequested)() noexcept) { m_stopCheck = stopRequested; }

    int32_t theDevice;          // system handle of the open port; stale after close
    std::ostream *comm_debug;   // not owned; null: no trace
    int32_t comm_debug_count;   // entries on the current trace line
    bool sendCommand;           // end the trace line after the next received byte
    bool suppressWrite;         // dry run

private:
    void traceSent(unsigned char byte);
    void traceReceived(unsigned char byte);
    void traceEntry(char direction, unsigned char byte);
    void traceLineFull();

    // The local backend (serial_posix.cpp or serial_win.cpp); the public
    // operations choose it or the network line (serial.cpp).
    bool openLocal(const char *theName);
    bool configureLocal(uint32_t baudRate, uint8_t dataBits, uint8_t stopBits, uint8_t parity);
    unsigned readLocal(unsigned char *theBytes, unsigned maxBytes, unsigned timeOut);
    int32_t writeLocal(const unsigned char *theBytes, unsigned numBytes);
    void flushLocal();
    void closeLocal();
    bool byteWaitingLocal();
    void configurationLocal(uint32_t &baudRate, uint8_t &dataBits, uint8_t &stopBits,
                            uint8_t &parity);
    void flowControlLocal(bool wantControl);
    void deviceStatusLocal(bool &CTS, bool &DCD);
    void setDtrLocal(bool DTR);
    void setRtsLocal(bool RTS);

    bool openNetwork(const char *theName);

    int m_lastError;
    unsigned m_connectTimeoutMs;
    int (*m_stopCheck)() noexcept = nullptr;
    std::unique_ptr<NetworkLine> m_network;     // set while a network address is open
};

// The line settings ConfigureDevice applies for the arguments it is given.
struct SerialLineSettings
{
    uint32_t baudRate;
    uint8_t dataBits;   // 7 or 8
    uint8_t stopBits;   // 1 or 2
    uint8_t parity;     // 0 none, 1 odd, 2 even
};
SerialLineSettings serialLineSettings(uint32_t baudRate, uint8_t dataBits,
                                      uint8_t stopBits, uint8_t parity);

// The device path for a configured port name. A network address is its own
// path. On Windows "\\.\" + name. Elsewhere: a name starting with "/" is already a path; "COMn" (n from 1)
// is /dev/ttyS(n-1); any other name is /dev/<name>.
std::string serialDevicePath(const std::string &name);

// One name for one port, whatever name it was opened by, so that what is
// known of a scale stays with its port. A network address is its own name,
// with the scheme and the host in lower case (a host name and its IP
// address stay two names). On Linux: the <devFolder>/serial/
// by-id link that leads to the device when there is one (it survives USB
// adapters being renumbered), otherwise the path with every link resolved;
// a path that leads nowhere is returned as it is. On Windows: the port's
// name after "\\.\\" in capitals, such as "COM3".
std::string serialPortIdentity(const std::string &path, const std::string &devFolder = "/dev");

// The system's own words for an error code that LastError() returned
// (on POSIX a negative code is the resolver's, as getaddrinfo gives it).
std::string serialErrorText(int error);

// A network address as a device name: "tcp://HOST:PORT" (the bytes as they
// are) or "rfc2217://HOST:PORT" (Telnet with COM Port Control). HOST is a
// name, an IPv4 address or an IPv6 address in brackets; PORT is 1 to 65535.
struct SerialNetworkAddress
{
    enum Problem { Fine, NotNetwork, NoHost, BadHost, NoPort, BadPort };
    Problem problem = NotNetwork;
    bool telnet = false;        // rfc2217://
    std::string host;           // without the brackets of an IPv6 address
    std::string port;           // digits only
};
// Whether name is meant as a network address (it starts with either scheme,
// in any case), whether or not the rest is right.
bool serialIsNetworkName(const std::string &name);
SerialNetworkAddress serialNetworkAddress(const std::string &name);
// True when the error says that the user may not use the device.
bool serialIsPermissionError(int error);
// True when the error says that another program holds the device.
bool serialIsBusyError(int error);
// The programs that hold the device at path open, each as "name (process
// N)"; none where the system does not tell (or will not tell this user).
std::vector<std::string> serialPortUsers(const std::string &path,
                                         const std::string &procFolder = "/proc");
// The name of the group that owns the device at path, or empty when the
// system has no such notion or the device cannot be examined.
std::string serialDeviceGroup(const std::string &path);

// The serial ports this machine has, as names a user may pick. On Linux
// the stable <devFolder>/serial/by-id links (full paths), then the ttyUSB,
// ttyACM and ttyS devices that are real ports and have no such link;
// ttyS0 to ttyS7 are left out, being COM1 to COM8. On Windows the COM
// ports the system lists, sorted, and the folders are ignored. The folders
// are parameters so that a test can fake a machine.
std::vector<std::string> serialPortsPresent(const std::string &devFolder = "/dev",
                                            const std::string &sysFolder = "/sys");

#endif // SERIAL_H
