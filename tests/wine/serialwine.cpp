// The Win32 serial backend against the simulated scale, run under Wine.
// Built with the MinGW-w64 cross compiler and free of Qt, so that nothing
// but MSerial and kernel32 stands between the program and the port.
//
//     serialwine.exe [PORT [ADDRESS]]   (default COM7; ADDRESS: tcp://HOST:PORT)
//
// With an address, the network backend (Winsock) is put through the same
// exchange over TCP, after a refused connection has shown its error.
// Prints one line per step; exits 1 at the first step that goes wrong.

#include "serial.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <winsock2.h>
#include <windows.h>

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char Etx = 0x03;
const unsigned ByteTimeOutMicroseconds = 1000000;
const size_t ReplyLimit = 256;

// Programming row 5: price 1.5, name abc, durability 10.
const Bytes ProgramRow5 = {
    0x01, 0x41, 0x32, 0x30, 0x35, 0x09, 0x31, 0x2E, 0x35, 0x30, 0x09, 0x61, 0x62,
    0x63, 0x09, 0x09, 0x09, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30,
    0x30, 0x30, 0x30, 0x30, 0x09, 0x30, 0x09, 0x31, 0x30, 0x09, 0x30, 0x3B, 0x03,
};
// Status '0' (done), no data.
const Bytes Done = { 0x01, 0x30, 0x30, 0x30, 0x39, 0x30, 0x03 };
const Bytes ReadFirstPlu = { 0x01, 0x62, 0x30, 0x30, 0x3C, 0x32, 0x03 };
// Status '0' and the data of row 5 as the scale stores it.
const Bytes Row5Reply = {
    0x01, 0x30, 0x32, 0x30, 0x35, 0x09, 0x31, 0x2E, 0x35, 0x30, 0x09, 0x61, 0x62,
    0x63, 0x09, 0x09, 0x09, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30,
    0x30, 0x30, 0x30, 0x30, 0x09, 0x30, 0x09, 0x31, 0x30, 0x09, 0x3F, 0x3A, 0x03,
};

std::string hex(const Bytes &bytes)
{
    std::string text;
    char entry[4];
    for (unsigned char b : bytes) {
        std::snprintf(entry, sizeof entry, "%02x ", b);
        text += entry;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

bool fail(const char *step, const std::string &detail)
{
    std::printf("FAIL %s: %s\n", step, detail.c_str());
    return false;
}

bool pass(const char *step)
{
    std::printf("ok   %s\n", step);
    return true;
}

bool openPort(MSerial &port, const std::string &path, const char *step)
{
    if (!port.OpenDevice(path.c_str()))
        return fail(step, "OpenDevice(" + path + ") failed: error "
                              + std::to_string(port.LastError()) + " "
                              + serialErrorText(port.LastError()));
    return pass(step);
}

// The message box of a failed open shows LastError and its text.
bool missingPortFails()
{
    const char *step = "open of a missing port fails with its error";
    MSerial port;
    port.theDevice = 1234;
    if (port.OpenDevice(serialDevicePath("TAREXA-NO-PORT").c_str()))
        return fail(step, "it opened");
    if (port.LastError() != ERROR_FILE_NOT_FOUND || serialErrorText(port.LastError()).empty())
        return fail(step, "error " + std::to_string(port.LastError()) + " \""
                              + serialErrorText(port.LastError()) + "\"");
    if (port.theDevice != 1234)
        return fail(step, "the handle was changed");
    std::printf("     (%s)\n", serialErrorText(port.LastError()).c_str());
    return pass(step);
}

bool configure(MSerial &port)
{
    const char *step = "configure 9600 8N1";
    if (!port.ConfigureDevice(9600, 8, 1, 0, false))
        return fail(step, "ConfigureDevice returned false");
    uint32_t baud = 0;
    uint8_t dataBits = 0, stopBits = 0, parity = 9;
    port.GetDeviceConfiguration(baud, dataBits, stopBits, parity);
    if (baud != 9600 || dataBits != 8 || stopBits != 1 || parity != 0)
        return fail(step, "read back " + std::to_string(baud) + " " + std::to_string(dataBits) + " "
                              + std::to_string(stopBits) + " parity " + std::to_string(parity));
    return pass(step);
}

bool send(MSerial &port, const Bytes &frame, const char *step)
{
    const int32_t written = port.WriteBytes(frame.data(), unsigned(frame.size()));
    if (written != int32_t(frame.size()))
        return fail(step, "wrote " + std::to_string(written) + " of "
                              + std::to_string(frame.size()) + " bytes");
    return pass(step);
}

// One byte at a time, each within the byte time-out, up to ETX or the limit.
Bytes collectReply(MSerial &port)
{
    Bytes reply;
    unsigned char byte = 0;
    while (reply.size() < ReplyLimit && port.ReadBytes(&byte, 1, ByteTimeOutMicroseconds) == 1) {
        reply.push_back(byte);
        if (byte == Etx)
            break;
    }
    return reply;
}

bool expectReply(MSerial &port, const Bytes &expected, const char *step)
{
    const Bytes reply = collectReply(port);
    if (reply != expected)
        return fail(step, "got [" + hex(reply) + "], expected [" + hex(expected) + "]");
    return pass(step);
}

// A reply whose first byte was taken and whose rest still waits on the line,
// as a command that gave up leaves it; FlushBytes must discard the rest.
bool flushDiscardsStaleReply(MSerial &port)
{
    const char *step = "flush discards the rest of a reply";
    unsigned char first = 0;
    if (port.ReadBytes(&first, 1, ByteTimeOutMicroseconds) != 1 || first != Row5Reply[0])
        return fail(step, "the reply did not start with SOH");
    if (!port.ByteWaiting(0))
        return fail(step, "ByteWaiting sees nothing of the rest of the reply");
    port.FlushBytes();
    if (port.ByteWaiting(0))
        return fail(step, "ByteWaiting still sees bytes after FlushBytes");
    return pass(step);
}

// Nothing is sent, so one read must come back empty once its time is up,
// neither at once nor much later.
bool silentLineTimesOut(MSerial &port)
{
    const char *step = "silent line times out after 1 s";
    unsigned char byte = 0;
    const auto start = std::chrono::steady_clock::now();
    const unsigned got = port.ReadBytes(&byte, 1, ByteTimeOutMicroseconds);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start).count();
    if (got != 0)
        return fail(step, "a byte arrived: " + hex(Bytes(1, byte)));
    if (ms < 900 || ms > 3000)
        return fail(step, "the read returned after " + std::to_string(ms) + " ms");
    std::printf("     (%lld ms)\n", static_cast<long long>(ms));
    return pass(step);
}

// What Windows itself tells about the port's settings, read on a handle of
// our own while MSerial does not hold the port.
struct PortSettings
{
    DCB dcb;
    COMMTIMEOUTS timeouts;
};

bool readPortSettings(const std::string &path, PortSettings &settings)
{
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    settings.dcb.DCBlength = sizeof settings.dcb;
    const bool read = GetCommState(handle, &settings.dcb)
        && GetCommTimeouts(handle, &settings.timeouts);
    CloseHandle(handle);
    return read;
}

std::string describe(const PortSettings &s)
{
    char text[160];
    std::snprintf(text, sizeof text, "%lu baud, %u bits, parity %u, stop %u, DTR %u, RTS %u, "
                  "read time-outs %lu/%lu/%lu",
                  s.dcb.BaudRate, s.dcb.ByteSize, s.dcb.Parity, s.dcb.StopBits,
                  s.dcb.fDtrControl, s.dcb.fRtsControl, s.timeouts.ReadIntervalTimeout,
                  s.timeouts.ReadTotalTimeoutMultiplier, s.timeouts.ReadTotalTimeoutConstant);
    return text;
}

bool closeRestoresSettings(const std::string &path, const PortSettings &before)
{
    const char *step = "close puts the settings back";
    PortSettings after;
    if (!readPortSettings(path, after))
        return fail(step, "the port cannot be examined after close");
    if (describe(after) != describe(before))
        return fail(step, "before: " + describe(before) + "; after: " + describe(after));
    return pass(step);
}

// The handle MSerial held must be gone, not merely the settings restored.
bool closeReleasesHandle(const MSerial &port)
{
    const char *step = "close releases the handle";
    DCB dcb;
    dcb.DCBlength = sizeof dcb;
    const HANDLE stale = reinterpret_cast<HANDLE>(static_cast<intptr_t>(port.theDevice));
    if (GetCommState(stale, &dcb))
        return fail(step, "the port still answers on its old handle");
    return pass(step);
}

// Windows never lets a second handle onto an open serial port. Wine may not
// enforce that on a pseudo-terminal; say so rather than fail, since the
// backend cannot influence it.
void reportSecondHandle(const std::string &path)
{
    const HANDLE second = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (second == INVALID_HANDLE_VALUE) {
        std::printf("     (a second handle on the open port is refused, error %lu)\n",
                    GetLastError());
        return;
    }
    std::printf("     (note: a second handle on the open port was let through;"
                " a Windows port refuses it)\n");
    CloseHandle(second);
}

bool exchange(MSerial &port)
{
    return configure(port)
        && send(port, ProgramRow5, "send the programming frame of row 5")
        && expectReply(port, Done, "reply: done")
        && send(port, ReadFirstPlu, "send the read request for the first PLU")
        && expectReply(port, Row5Reply, "reply: row 5")
        && send(port, ReadFirstPlu, "send the read request again")
        && flushDiscardsStaleReply(port)
        && silentLineTimesOut(port);
}

bool refusedConnectionFails()
{
    const char *step = "connection to a port nothing listens on is refused";
    MSerial port;
    port.setConnectTimeout(5000);
    if (port.OpenDevice("tcp://127.0.0.1:1"))
        return fail(step, "it opened");
    if (port.LastError() != WSAECONNREFUSED)
        return fail(step, "error " + std::to_string(port.LastError()) + " "
                              + serialErrorText(port.LastError()));
    std::printf("     (%s)\n", serialErrorText(port.LastError()).c_str());
    return pass(step);
}

bool networkExchange(const std::string &address)
{
    if (!refusedConnectionFails())
        return false;
    MSerial port;
    if (!openPort(port, address, "open the scale's TCP address"))
        return false;
    const bool exchanged = configure(port)
        && send(port, ProgramRow5, "send the programming frame of row 5 over TCP")
        && expectReply(port, Done, "reply over TCP: done")
        && send(port, ReadFirstPlu, "send the read request for the first PLU over TCP")
        && expectReply(port, Row5Reply, "reply over TCP: row 5")
        && silentLineTimesOut(port);
    port.CloseDevice();
    return exchanged;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string path = serialDevicePath(argc > 1 ? argv[1] : "COM7");
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    if (!missingPortFails())
        return 1;

    // Shown, not required: whether Wine registers its COM links in the
    // device map depends on the Wine version.
    std::string listed;
    for (const std::string &name : serialPortsPresent())
        listed += " " + name;
    std::printf("     (ports the system lists:%s)\n", listed.empty() ? " none" : listed.c_str());

    PortSettings before;
    if (!readPortSettings(path, before)) {
        const DWORD error = GetLastError();
        fail("examine the port", "error " + std::to_string(error) + " " + serialErrorText(int(error)));
        return 1;
    }
    std::printf("     (found %s)\n", describe(before).c_str());

    MSerial port;
    if (!openPort(port, path, "open"))
        return 1;
    reportSecondHandle(path);
    const bool exchanged = exchange(port);
    port.CloseDevice();
    if (!exchanged || !closeReleasesHandle(port) || !closeRestoresSettings(path, before))
        return 1;

    MSerial again;
    if (!openPort(again, path, "open again after close"))
        return 1;
    again.CloseDevice();
    return argc > 2 && !networkExchange(argv[2]) ? 1 : 0;
}
