#include "tarexa.h"
#include "comm.h"
#include "cp1251.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <chrono>
#include <thread>

namespace {

const unsigned ByteTimeoutUs = 1000000;
const int PauseAfterExchangeMs = 100;

QString translated(const char *text)
{
    return QCoreApplication::translate("Tarexa", text);
}

// A byte value as two digits, high half first; 10..15 become ":".."?".
QByteArray digitsOf(unsigned char value)
{
    QByteArray digits(2, '0');
    digits[0] = char('0' + (value >> 4));
    digits[1] = char('0' + (value & 0x0F));
    return digits;
}

unsigned char sumFromSecondByte(const QByteArray &bytes)
{
    unsigned char sum = 0;
    for (int i = 1; i < bytes.size(); ++i)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(bytes[i]));
    return sum;
}

using Clock = std::chrono::steady_clock;

unsigned byteTimeoutBefore(Clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<microseconds>(deadline - Clock::now()).count();
    return left < ByteTimeoutUs ? static_cast<unsigned>(left) : ByteTimeoutUs;
}

} // namespace

QString WSerial::checkSum(const QString &str)
{
    return QString::fromLatin1(digitsOf(sumFromSecondByte(toCp1251(str))));
}

QByteArray WSerial::buildFrame(unsigned char cmd, const QString &data)
{
    // The length digits count bytes, so that they always describe the
    // frame, even for text the code page has to replace.
    const QByteArray dataBytes = toCp1251(data);
    QByteArray frame;
    frame.reserve(dataBytes.size() + 7);
    frame += char(SOH);
    frame += char(cmd);
    frame += digitsOf(static_cast<unsigned char>(dataBytes.size() % 256));
    frame += dataBytes;
    frame += digitsOf(sumFromSecondByte(frame));
    frame += char(ETX);
    return frame;
}

bool WSerial::sendScaleCmd(unsigned char cmd, const QString &data,
                           unsigned char *answer_buf, int answer_len, int replyBoundMs)
{
    if (!answer_buf)
        return false;
    const QByteArray frame = buildFrame(cmd, data);
    WriteBytes(reinterpret_cast<const unsigned char *>(frame.constData()),
               static_cast<unsigned>(frame.size()));
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(replyBoundMs);

    ReplyCollector collector(answer_buf, answer_len);
    bool complete = true;
    while (collector.wantsMore()) {
        const unsigned timeOut = byteTimeoutBefore(deadline);
        unsigned char byte = 0;
        if (timeOut == 0 || ReadBytes(&byte, 1, timeOut) != 1) {
            complete = false;
            break;
        }
        collector.feed(byte);
    }
    FlushBytes();
    delay(PauseAfterExchangeMs);
    return complete;
}

ReplyCollector::ReplyCollector(unsigned char *buffer, int limit)
    : m_buffer(buffer), m_limit(limit)
{
}

bool ReplyCollector::feed(unsigned char byte)
{
    if (!wantsMore())
        return false;
    if (byte == SYN) {
        // The scale is busy. A first SYN takes one place of the limit.
        if (m_counted == 0)
            m_counted = 1;
        return wantsMore();
    }
    m_buffer[m_stored++] = byte;
    if (byte == ETX) {
        m_ended = true;
        return false;
    }
    ++m_counted;
    return wantsMore();
}

void delay(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

QString openFailureDetails(const QString &devicePath, int error)
{
    QString details = devicePath + ": " + QString::fromLocal8Bit(serialErrorText(error).c_str());
    const QString group = QString::fromLocal8Bit(
        serialDeviceGroup(toCp1251(devicePath).toStdString()).c_str());
    if (serialIsPermissionError(error) && !group.isEmpty() && group != "root") {
        details += "\n\n" + translated("Your user account may not use this port. Ask an "
                                        "administrator to add it to the group \"%1\", which owns "
                                        "the port, for example with:\n    sudo usermod -a -G %1 $USER\n"
                                        "then log out and in again.").arg(group);
    }
    return details;
}

ScalePort::ScalePort(QWidget *parent, const QString &deviceName)
{
    const std::string path = serialDevicePath(toCp1251(deviceName).toStdString());
    if (!m_port.OpenDevice(path.c_str())) {
        QMessageBox box(QMessageBox::Critical, translated("Error"),
                        translated("Could not open communication device %1.").arg(deviceName),
                        QMessageBox::Ok, parent);
        box.setDetailedText(openFailureDetails(fromCp1251(QByteArray::fromStdString(path)),
                                               m_port.LastError()));
        box.exec();
        return;
    }
    if (!m_port.ConfigureDevice(9600, 8, 1, 0, false)) {
        QMessageBox::critical(parent, translated("Error"),
                              translated("Failed to configure communication device %1.").arg(deviceName));
        m_port.CloseDevice();
        return;
    }
    m_open = true;
}

ScalePort::~ScalePort()
{
    if (m_open)
        m_port.CloseDevice();
}

void Tarexa::prog() {}
void Tarexa::read() {}
void Tarexa::delplu() {}
void Tarexa::rowToPlu(short) {}
short Tarexa::parsePlu(QString &) { return 0; }
