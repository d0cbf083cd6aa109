#include "serial.h"
#include "serial_net.h"

#include <cstdio>
#include <ostream>

MSerial::MSerial()
    : theDevice(0),
      comm_debug(nullptr),
      comm_debug_count(0),
      sendCommand(false),
      suppressWrite(false),
      m_lastError(0),
      m_connectTimeoutMs(10000)
{
}

MSerial::~MSerial() = default;
MSerial::MSerial(MSerial &&other) noexcept = default;
MSerial &MSerial::operator=(MSerial &&other) noexcept = default;

// ---- The backend for the name: a local port or a network address ----------

bool MSerial::OpenDevice(const char *theName)
{
    if (!serialIsNetworkName(theName))
        return openLocal(theName);
    return openNetwork(theName);
}

bool MSerial::openNetwork(const char *theName)
{
    auto line = std::make_unique<NetworkLine>();
    line->setStopCheck(m_stopCheck);
    m_lastError = line->open(serialNetworkAddress(theName), m_connectTimeoutMs);
    if (m_lastError != 0)
        return false;
    m_network = std::move(line);
    return true;
}

bool MSerial::ConfigureDevice(uint32_t baudRate, uint8_t dataBits, uint8_t stopBits,
                              uint8_t parity, bool)
{
    if (!m_network)
        return configureLocal(baudRate, dataBits, stopBits, parity);
    const SerialLineSettings s = serialLineSettings(baudRate, dataBits, stopBits, parity);
    m_lastError = m_network->configure(s, m_connectTimeoutMs);
    return m_lastError == 0;
}

unsigned MSerial::ReadBytes(unsigned char *theBytes, unsigned maxBytes, unsigned timeOut)
{
    if (!m_network)
        return readLocal(theBytes, maxBytes, timeOut);
    const unsigned got = m_network->read(theBytes, maxBytes, timeOut / 1000 > 0 ? timeOut / 1000 : 1);
    for (unsigned i = 0; i < got; ++i)
        traceReceived(theBytes[i]);
    return got;
}

int32_t MSerial::WriteBytes(const unsigned char *theBytes, unsigned numBytes)
{
    if (!m_network)
        return writeLocal(theBytes, numBytes);
    unsigned written = 0;
    m_lastError = suppressWrite ? 0 : m_network->write(theBytes, numBytes, written, m_connectTimeoutMs);
    for (unsigned i = 0; i < numBytes; ++i)
        traceSent(theBytes[i]);
    return static_cast<int32_t>(written);
}

void MSerial::FlushBytes()
{
    if (!m_network)
        flushLocal();
    else if (!suppressWrite)
        m_network->purge();
}

void MSerial::CloseDevice()
{
    if (!m_network) {
        closeLocal();
        return;
    }
    m_network->close();
    m_network.reset();
}

bool MSerial::ByteWaiting(unsigned)
{
    return m_network ? m_network->byteWaiting() : byteWaitingLocal();
}

void MSerial::GetDeviceConfiguration(uint32_t &baudRate, uint8_t &dataBits,
                                     uint8_t &stopBits, uint8_t &parity)
{
    if (!m_network) {
        configurationLocal(baudRate, dataBits, stopBits, parity);
        return;
    }
    SerialLineSettings s;
    if (!m_network->lineSettings(s))
        return;
    baudRate = s.baudRate;
    dataBits = s.dataBits;
    stopBits = s.stopBits;
    parity = s.parity;
}

bool MSerial::ConfigureFlowControl(bool wantControl)
{
    if (!m_network)
        flowControlLocal(wantControl);
    return true;
}

void MSerial::GetDeviceStatus(bool &CTS, bool &DCD)
{
    CTS = DCD = false;
    if (!m_network)
        deviceStatusLocal(CTS, DCD);
}

void MSerial::SetDTR(bool DTR)
{
    if (!m_network)
        setDtrLocal(DTR);
}

void MSerial::SetRTS(bool RTS)
{
    if (!m_network)
        setRtsLocal(RTS);
}

SerialLineSettings serialLineSettings(uint32_t baudRate, uint8_t dataBits,
                                      uint8_t stopBits, uint8_t parity)
{
    SerialLineSettings s;
    switch (baudRate) {
    case 300: case 600: case 1200: case 2400: case 4800:
    case 9600: case 19200: case 38400: case 57600: case 115200:
        s.baudRate = baudRate;
        break;
    default:
        s.baudRate = 19200;
        break;
    }
    s.dataBits = dataBits == 7 ? 7 : 8;
    s.stopBits = stopBits == 2 ? 2 : 1;
    s.parity = (parity == 1 || parity == 2) ? parity : 0;
    return s;
}

void MSerial::traceEntry(char direction, unsigned char byte)
{
    char entry[16];
    std::snprintf(entry, sizeof entry, " %c-0x%02x", direction, byte);
    *comm_debug << entry;
}

void MSerial::traceLineFull()
{
    if (comm_debug_count > 7) {
        comm_debug_count = 0;
        *comm_debug << "\n";
    }
}

void MSerial::traceSent(unsigned char byte)
{
    if (!comm_debug)
        return;
    traceEntry('O', byte);
    ++comm_debug_count;
    traceLineFull();
}

void MSerial::traceReceived(unsigned char byte)
{
    if (!comm_debug)
        return;
    traceEntry('I', byte);
    // The first byte of a reply closes the line of the command it answers.
    if (sendCommand) {
        *comm_debug << "\n";
        sendCommand = false;
        comm_debug_count = 0;
    } else {
        ++comm_debug_count;
    }
    traceLineFull();
}
