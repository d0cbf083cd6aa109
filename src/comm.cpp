#include "tarexa.h"
#include "comm.h"
#include "cp1251.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <QTableWidget>

#include <chrono>
#include <thread>
#include <vector>

namespace {

const unsigned ByteTimeoutUs = 1000000;
const int PauseAfterExchangeMs = 100;

QString translated(const char *text)
{
    return QCoreApplication::translate("Tarexa", text);
}

using Clock = std::chrono::steady_clock;

unsigned byteTimeoutBefore(Clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<microseconds>(deadline - Clock::now()).count();
    return left < ByteTimeoutUs ? static_cast<unsigned>(left) : ByteTimeoutUs;
}

} // namespace

QByteArray frameDigits(unsigned char value)
{
    QByteArray digits(2, '0');
    digits[0] = char('0' + (value >> 4));
    digits[1] = char('0' + (value & 0x0F));
    return digits;
}

unsigned char frameSum(const QByteArray &bytes)
{
    unsigned char sum = 0;
    for (int i = 1; i < bytes.size(); ++i)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(bytes[i]));
    return sum;
}

QString WSerial::checkSum(const QString &str)
{
    return QString::fromLatin1(frameDigits(frameSum(toCp1251(str))));
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
    frame += frameDigits(static_cast<unsigned char>(dataBytes.size() % 256));
    frame += dataBytes;
    frame += frameDigits(frameSum(frame));
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
    // Bytes a scale sent after an earlier command gave up on it must not
    // be taken for the answer to this command's first frame.
    m_port.FlushBytes();
    m_open = true;
}

ScalePort::~ScalePort()
{
    close();
}

void ScalePort::close()
{
    if (m_open)
        m_port.CloseDevice();
    m_open = false;
}

// The scale commands of the main window.

namespace {

const unsigned char ProgramCmd = 0x41;
const unsigned char DeleteCmd = 0x42;
const unsigned char FirstPluCmd = 0x62;
const unsigned char NextPluCmd = 0x63;

// Replies without data fit in 7 bytes; a PLU reply is cut at 200. The
// buffers are larger, so a stored reply always ends in a zero byte.
const int ShortReplyLimit = 7;
const size_t ShortReplyBuffer = 100;
const int PluReplyLimit = 200;
const size_t PluReplyBuffer = 500;

const int SettleBeforeProgrammingMs = 500;
const int PauseBetweenReadsMs = 100;
const int ReadRequestsAfterFirst = PLU_COUNT;    // 1000 requests at most in all
const int ReadProgressMaximum = PLU_COUNT - 1;  // the highest PLU number
const int DeleteProgressMaximum = PLU_COUNT;

const int FieldCount = 8;
const QChar FieldEnd = QLatin1Char('\t');
const char *const NoBarcode = "0000000000000";

// One exchange, with the reply as the cleared buffer holds it afterwards.
struct ScaleAnswer
{
    bool arrived = false;           // false: a reply byte did not come in time
    unsigned char status = 0;       // '0' when the scale carried the command out
    QByteArray bytes;               // the stored reply, up to its first zero byte

    bool accepted() const { return status == '0'; }
};

ScaleAnswer exchange(WSerial &port, unsigned char cmd, const QString &data,
                     size_t bufferSize, int limit)
{
    std::vector<unsigned char> buffer(bufferSize, 0);
    ScaleAnswer answer;
    answer.arrived = port.sendScaleCmd(cmd, data, buffer.data(), limit);
    answer.status = buffer[1];
    answer.bytes = QByteArray(reinterpret_cast<const char *>(buffer.data()));
    return answer;
}

// The line and the scale's own answers are reported in these exact words,
// never translated.
void showScaleError(QWidget *parent, const char *text)
{
    QMessageBox::critical(parent, QString::fromLatin1("Error"), QString::fromLatin1(text));
}

// A command the scale did not answer or did not carry out is reported;
// true when it was carried out and the pass may go on.
bool carriedOutOrReported(QWidget *parent, const ScaleAnswer &answer)
{
    if (!answer.arrived) {
        showScaleError(parent, "Communication error.");
        return false;
    }
    if (!answer.accepted()) {
        showScaleError(parent, "Bad data format.");
        return false;
    }
    return true;
}

// The data of a programming frame: eight fields, each ended by a TAB.
QString pluDataText(const PLU &p)
{
    const QString fields[FieldCount] = {
        QString::number(p.Number), QString::number(p.Price, 'f', 2),
        p.Name[0], p.Name[1], p.Name[2], p.Barcode,
        QString::number(p.BarType ? 1 : 0), QString::number(p.Durabil)
    };
    QString text;
    for (const QString &field : fields)
        text += field + FieldEnd;
    return text;
}

// The first eight TAB-separated fields of a reply's data; missing fields
// are empty. Without an eighth TAB the last field runs to the end of the
// text, checksum digits and ETX included.
QStringList replyFields(const QString &data)
{
    QStringList fields = data.split(FieldEnd);
    while (fields.size() < FieldCount)
        fields << QString();
    return fields.mid(0, FieldCount);
}

short shortOrZero(const QString &text)
{
    return QLocale::c().toShort(text);
}

bool isMarkedRow(const QTableWidget *table, int row)
{
    return !pluCellText(table, row, PLU_MARK_COLUMN).isEmpty();
}

} // namespace

// Programming: every row with a price goes to the scale as one PLU.
void Tarexa::prog()
{
    ScalePort scale(this, m_DeviceName);
    if (!scale.isOpen())
        return;
    const int count = copyFilledRows();
    if (count == 0) {
        QMessageBox::critical(this, tr("Error"), tr("The list is empty"));
        return;
    }
    QProgressDialog progress(QString::fromLatin1("Programming to Weigh Scale.."),
                             QString::fromLatin1("Cancel"), 0, count, this);
    progress.setMinimumDuration(0);
    // Gives the scale a moment on the freshly opened line.
    delay(SettleBeforeProgrammingMs);
    sendPlus(scale.port(), progress);
}

// Rebuilds plu from the table; the rows are copied before anything is sent,
// so edits made while programming runs do not change what goes out.
int Tarexa::copyFilledRows()
{
    int count = 0;
    for (short row = 0; row < PLU_COUNT; ++row) {
        plu[row].Number = -1;
        if (isPluRow(table, row)) {
            rowToPlu(row);
            ++count;
        }
    }
    return count;
}

void Tarexa::rowToPlu(short num)
{
    PLU &p = plu[num];
    p.Number = num;
    // The Price and Durability cells hold only plain C-locale numbers.
    p.Price = QLocale::c().toDouble(pluCellText(table, num, 0));
    for (int i = 0; i < 3; ++i)
        p.Name[i] = pluCellText(table, num, 1 + i);
    p.Barcode = pluCellText(table, num, 4);
    p.Durabil = static_cast<quint8>(shortOrZero(pluCellText(table, num, 5)) & 0xFF);
    p.BarType = !p.Barcode.isEmpty();
    if (!p.BarType)
        p.Barcode = QString::fromLatin1(NoBarcode);
}

void Tarexa::sendPlus(WSerial &port, QProgressDialog &progress)
{
    int accepted = 0;
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (plu[row].Number != -1) {
            const ScaleAnswer answer = exchange(port, ProgramCmd, pluDataText(plu[row]),
                                                ShortReplyBuffer, ShortReplyLimit);
            if (!carriedOutOrReported(this, answer))
                return;
            progress.setValue(accepted++);
        }
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return;
    }
}

// Reading: the scale's PLUs replace the document.
void Tarexa::read()
{
    if (!mayClearDocument())
        return;
    startEmptyDocument();
    ScalePort scale(this, m_DeviceName);
    if (!scale.isOpen())
        return;
    // The bar follows the PLU numbers as they come.
    QProgressDialog progress(QString::fromLatin1("Reading from Weigh Scale.."),
                             QString::fromLatin1("Cancel"), 0, ReadProgressMaximum, this);
    if (readFirstPlu(scale.port()))
        readNextPlus(scale.port(), progress);
    scale.close();  // before the dialog goes
}

bool Tarexa::readFirstPlu(WSerial &port)
{
    const ScaleAnswer answer = exchange(port, FirstPluCmd, QString(),
                                        PluReplyBuffer, PluReplyLimit);
    if (!answer.arrived) {
        showScaleError(this, "Communication error.");
        return false;
    }
    if (!answer.accepted()) {
        showScaleError(this, "PLU not found.");
        return false;
    }
    QString text = fromCp1251(answer.bytes);
    parsePlu(text);
    return true;
}

// The scale does not say how many PLUs it holds: it answers "next" with a
// refusal once it has none left.
void Tarexa::readNextPlus(WSerial &port, QProgressDialog &progress)
{
    for (int request = 0; request < ReadRequestsAfterFirst; ++request) {
        const ScaleAnswer answer = exchange(port, NextPluCmd, QString(),
                                            PluReplyBuffer, PluReplyLimit);
        if (!answer.arrived) {
            showScaleError(this, "Communication error.");
            return;
        }
        if (!answer.accepted())
            return;
        QString text = fromCp1251(answer.bytes);
        const short number = parsePlu(text);
        if (number >= 0 && number < PLU_COUNT)
            progress.setValue(number);
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return;
        delay(PauseBetweenReadsMs);
    }
}

short Tarexa::parsePlu(QString &str)
{
    str.remove(0, 4);   // SOH, status and the two length digits
    PLU_STRING s;
    const short number = replyToPlu(str, s);
    if (number >= 0 && number < PLU_COUNT)
        putPluInRow(number, s);
    return number;
}

short Tarexa::replyToPlu(const QString &data, PLU_STRING &s)
{
    const QStringList fields = replyFields(data);
    const short number = shortOrZero(fields[0]);
    if (number < 0 || number >= PLU_COUNT)
        return number;
    s.Number = fields[0];
    s.Price = fields[1];
    for (int i = 0; i < 3; ++i)
        s.Name[i] = fields[2 + i];
    const bool hasBarcode = (shortOrZero(fields[6]) & 0xFF) != 0;
    s.Barcode = hasBarcode ? fields[5] : QString();
    s.Durabil = fields[7];
    return number;
}

// Deleting: one command for every marked row; the document stays as it is.
void Tarexa::delplu()
{
    ScalePort scale(this, m_DeviceName);
    if (!scale.isOpen())
        return;
    QProgressDialog progress(QString::fromLatin1("Deleting.."), QString::fromLatin1("Cancel"),
                             0, DeleteProgressMaximum, this);
    deleteMarkedPlus(scale.port(), progress);
    scale.close();  // before the dialog goes
}

// A mark is read when the loop reaches its row, so marks set meanwhile on
// rows still ahead count.
void Tarexa::deleteMarkedPlus(WSerial &port, QProgressDialog &progress)
{
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (isMarkedRow(table, row)) {
            // The PLU's number, so that the scale knows which one to drop.
            const QString data = QString::number(row) + FieldEnd;
            const ScaleAnswer answer = exchange(port, DeleteCmd, data,
                                                ShortReplyBuffer, ShortReplyLimit);
            if (!carriedOutOrReported(this, answer))
                return;
        }
        progress.setValue(row);
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return;
    }
}
