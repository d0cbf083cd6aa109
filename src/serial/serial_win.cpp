// Win32 backend of MSerial: the communications functions of kernel32.

#include "serial.h"
#include "serial_net.h"

#include <algorithm>
#include <cstdint>

#include <windows.h>

namespace {

// The port's settings as OpenDevice found them; CloseDevice puts them back.
// One record per thread: ports opened at once on different threads each get
// their own settings back.
thread_local DCB oldDcb;
thread_local COMMTIMEOUTS oldCto;

const DWORD QueueSize = 1040;

// Handles of kernel objects fit in 32 bits (sign-extended), which is what
// theDevice holds.
HANDLE handleOf(int32_t device)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(device));
}

int32_t deviceOf(HANDLE handle)
{
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(handle));
}

BYTE byteSizeOf(uint8_t dataBits)
{
    switch (dataBits) {
    case 7: return 7;
    default: return 8;
    }
}

BYTE stopBitsOf(uint8_t stopBits)
{
    switch (stopBits) {
    case 2: return TWOSTOPBITS;
    default: return ONESTOPBIT;
    }
}

BYTE parityOf(uint8_t parity)
{
    switch (parity) {
    case 1: return ODDPARITY;
    case 2: return EVENPARITY;
    default: return NOPARITY;
    }
}

DCB openingLineSettings()
{
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 19200;
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fTXContinueOnXoff = 1;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.XonLim = 260;
    dcb.XoffLim = 260;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.EofChar = 0x1A;
    return dcb;
}

bool failWith(HANDLE handle, int &lastError)
{
    lastError = static_cast<int>(GetLastError());
    CloseHandle(handle);
    return false;
}

// failWith for a step after the opening settings were applied: the port
// gets back the settings it was found with.
bool failRestoring(HANDLE handle, int &lastError, DCB &found)
{
    lastError = static_cast<int>(GetLastError());
    SetCommState(handle, &found);
    CloseHandle(handle);
    return false;
}

// Reads the port's line settings, lets change alter some fields, and
// writes them back; everything else stays as it was.
template <typename Change>
bool changeLineSettings(HANDLE handle, Change change)
{
    DCB dcb;
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb))
        return false;
    change(dcb);
    return SetCommState(handle, &dcb) != 0;
}

} // namespace

std::string serialDevicePath(const std::string &name)
{
    if (serialIsNetworkName(name))
        return name;
    return "\\\\.\\" + name;
}

// Windows takes "com3", "COM3" and "\\.\COM3" for one port.
std::string serialPortIdentity(const std::string &path, const std::string &)
{
    if (serialIsNetworkName(path))
        return serialNetworkIdentity(path);
    const std::string prefix = "\\\\.\\";
    std::string name = path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
    for (char &c : name)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return name;
}

bool MSerial::openLocal(const char *theName)
{
    HANDLE handle = CreateFileA(theName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_lastError = static_cast<int>(GetLastError());
        return false;
    }
    if (!GetCommState(handle, &oldDcb))
        return failWith(handle, m_lastError);
    DCB dcb = openingLineSettings();
    if (!SetCommState(handle, &dcb))
        return failWith(handle, m_lastError);
    if (!GetCommTimeouts(handle, &oldCto))
        return failRestoring(handle, m_lastError, oldDcb);
    COMMTIMEOUTS cto = oldCto;
    cto.ReadIntervalTimeout = 0;
    cto.ReadTotalTimeoutMultiplier = 0;
    cto.ReadTotalTimeoutConstant = 1;
    cto.WriteTotalTimeoutMultiplier = 0;
    cto.WriteTotalTimeoutConstant = 0;
    // Without these time-outs a read would wait for its bytes for ever.
    if (!SetCommTimeouts(handle, &cto))
        return failRestoring(handle, m_lastError, oldDcb);
    SetCommMask(handle, EV_RXCHAR);
    SetupComm(handle, QueueSize, QueueSize);
    theDevice = deviceOf(handle);
    m_lastError = 0;
    return true;
}

bool MSerial::configureLocal(uint32_t baudRate, uint8_t dataBits, uint8_t stopBits,
                            uint8_t parity)
{
    const SerialLineSettings s = serialLineSettings(baudRate, dataBits, stopBits, parity);
    const bool configured = changeLineSettings(handleOf(theDevice), [&s](DCB &dcb) {
        dcb.BaudRate = s.baudRate;
        dcb.ByteSize = byteSizeOf(s.dataBits);
        dcb.StopBits = stopBitsOf(s.stopBits);
        dcb.Parity = parityOf(s.parity);
    });
    m_lastError = configured ? 0 : static_cast<int>(GetLastError());
    return configured;
}

unsigned MSerial::readLocal(unsigned char *theBytes, unsigned maxBytes, unsigned timeOut)
{
    HANDLE handle = handleOf(theDevice);
    COMMTIMEOUTS cto;
    if (GetCommTimeouts(handle, &cto)) {
        // A constant of 0 would mean no time-out at all.
        cto.ReadTotalTimeoutConstant = timeOut / 1000 > 0 ? timeOut / 1000 : 1;
        SetCommTimeouts(handle, &cto);
    }
    DWORD got = 0;
    if (!ReadFile(handle, theBytes, maxBytes, &got, nullptr))
        got = 0;
    for (DWORD i = 0; i < got; ++i)
        traceReceived(theBytes[i]);
    return got;
}

int32_t MSerial::writeLocal(const unsigned char *theBytes, unsigned numBytes)
{
    DWORD written = 0;
    m_lastError = 0;
    if (!suppressWrite && !WriteFile(handleOf(theDevice), theBytes, numBytes, &written, nullptr)) {
        m_lastError = static_cast<int>(GetLastError());
        written = 0;
    } else if (!suppressWrite && written < numBytes) {
        // Without write time-outs a write that took less than all has
        // failed on the way, even when the system does not say so.
        m_lastError = ERROR_WRITE_FAULT;
    }
    for (unsigned i = 0; i < numBytes; ++i)
        traceSent(theBytes[i]);
    return static_cast<int32_t>(written);
}

void MSerial::flushLocal()
{
    if (suppressWrite)
        return;
    HANDLE handle = handleOf(theDevice);
    PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR);
    PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
}

void MSerial::closeLocal()
{
    HANDLE handle = handleOf(theDevice);
    SetCommTimeouts(handle, &oldCto);
    SetCommState(handle, &oldDcb);
    CloseHandle(handle);
}

bool MSerial::byteWaitingLocal()
{
    DWORD errors = 0;
    COMSTAT status;
    if (!ClearCommError(handleOf(theDevice), &errors, &status))
        return false;
    return status.cbInQue != 0;
}

void MSerial::configurationLocal(uint32_t &baudRate, uint8_t &dataBits,
                                uint8_t &stopBits, uint8_t &parity)
{
    DCB dcb;
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handleOf(theDevice), &dcb))
        return;
    baudRate = dcb.BaudRate;
    dataBits = dcb.ByteSize;
    switch (dcb.StopBits) {
    case ONESTOPBIT: stopBits = 1; break;
    case TWOSTOPBITS: stopBits = 2; break;
    default: break;
    }
    switch (dcb.Parity) {
    case NOPARITY: parity = 0; break;
    case ODDPARITY: parity = 1; break;
    case EVENPARITY: parity = 2; break;
    default: break;
    }
}

void MSerial::flowControlLocal(bool wantControl)
{
    changeLineSettings(handleOf(theDevice), [wantControl](DCB &dcb) {
        dcb.fRtsControl = wantControl ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
        dcb.fOutxCtsFlow = wantControl ? 1 : 0;
    });
}

void MSerial::deviceStatusLocal(bool &CTS, bool &DCD)
{
    DWORD lines = 0;
    if (!GetCommModemStatus(handleOf(theDevice), &lines))
        lines = 0;
    CTS = (lines & MS_CTS_ON) != 0;
    DCD = (lines & MS_RLSD_ON) != 0;
}

void MSerial::setDtrLocal(bool DTR)
{
    changeLineSettings(handleOf(theDevice), [DTR](DCB &dcb) {
        dcb.fDtrControl = DTR ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    });
}

void MSerial::setRtsLocal(bool RTS)
{
    changeLineSettings(handleOf(theDevice), [RTS](DCB &dcb) {
        dcb.fRtsControl = RTS ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    });
}

std::string serialErrorText(int error)
{
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(error), 0, text,
                                        sizeof text, nullptr);
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n'))
        result.pop_back();
    return result;
}

bool serialIsPermissionError(int error)
{
    return error == ERROR_ACCESS_DENIED;
}

// Windows ports have no owning group to join.
bool serialIsBusyError(int error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// Windows does not tell which program holds a COM port.
std::vector<std::string> serialPortUsers(const std::string &, const std::string &)
{
    return {};
}

std::string serialDeviceGroup(const std::string &)
{
    return std::string();
}

// The COM ports the system lists under its serial device map, each once.
std::vector<std::string> serialPortsPresent(const std::string &, const std::string &)
{
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        BYTE value[256];
        DWORD valueSize = sizeof value - 1;
        DWORD type = 0;
        const LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type,
                                          value, &valueSize);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        if (type != REG_SZ)
            continue;
        value[valueSize] = 0;
        const std::string port(reinterpret_cast<const char *>(value));
        if (!port.empty() && std::find(ports.begin(), ports.end(), port) == ports.end())
            ports.push_back(port);
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end());
    return ports;
}
