#include "serial.h"

#include <cstdio>
#include <ostream>

MSerial::MSerial()
    : theDevice(0),
      comm_debug(nullptr),
      comm_debug_count(0),
      sendCommand(false),
      suppressWrite(false),
      m_lastError(0)
{
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
