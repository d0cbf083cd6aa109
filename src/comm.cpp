#include "tarexa.h"
#include "comm.h"
#include "cp1251.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <QTableWidget>

#include <chrono>
#include <climits>
#include <optional>
#include <thread>
#include <vector>

namespace {

const unsigned ByteTimeoutUs = 1000000;
const int PauseAfterExchangeMs = 100;

QString translated(const char *text)
{
    return QCoreApplication::translate("Tarexa", text);
}

} // namespace

// The bound may pass in the middle of a wait for a byte, so the time left
// can be negative here.
unsigned byteTimeoutBefore(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<microseconds>(deadline - steady_clock::now()).count();
    if (left <= 0)
        return 0;
    return left < ByteTimeoutUs ? static_cast<unsigned>(left) : ByteTimeoutUs;
}

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
    // Whatever is still on the line belongs to an earlier exchange (the
    // tail of a reply cut at its limit, a reply the scale sent twice): a
    // reply is made only of bytes that arrive after its own command.
    FlushBytes();
    WriteBytes(reinterpret_cast<const unsigned char *>(frame.constData()),
               static_cast<unsigned>(frame.size()));
    using Clock = std::chrono::steady_clock;
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

// Windows takes port names in its 8-bit code page; elsewhere a device is a
// path in the file system's own encoding, so that a link named in Cyrillic
// opens like any other.
std::string devicePathOf(const QString &deviceName)
{
#ifdef Q_OS_WIN
    return serialDevicePath(toCp1251(deviceName).toStdString());
#else
    return serialDevicePath(QFile::encodeName(deviceName).toStdString());
#endif
}

QString devicePathText(const std::string &path)
{
#ifdef Q_OS_WIN
    return fromCp1251(QByteArray::fromStdString(path));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

QString openFailureDetails(const std::string &devicePath, int error)
{
    QString details = devicePathText(devicePath) + ": "
                    + QString::fromLocal8Bit(serialErrorText(error).c_str());
    const QString group = QString::fromLocal8Bit(serialDeviceGroup(devicePath).c_str());
    if (serialIsPermissionError(error) && !group.isEmpty() && group != "root") {
        details += "\n\n" + translated(QT_TRANSLATE_NOOP("Tarexa", "Your user account may not use this port. Ask an "
                                        "administrator to add it to the group \"%1\", which owns "
                                        "the port, for example with:\n    sudo usermod -a -G %1 $USER\n"
                                        "then log out and in again.")).arg(group);
    }
    return details;
}

ScalePort::ScalePort(QWidget *parent, const QString &deviceName)
{
    const std::string path = devicePathOf(deviceName);
    if (!m_port.OpenDevice(path.c_str())) {
        QMessageBox box(QMessageBox::Critical, translated("Error"),
                        translated(QT_TRANSLATE_NOOP("Tarexa", "Could not open communication device %1.")).arg(deviceName),
                        QMessageBox::Ok, parent);
        box.setDetailedText(openFailureDetails(path, m_port.LastError()));
        box.exec();
        return;
    }
    if (!m_port.ConfigureDevice(9600, 8, 1, 0, false)) {
        QMessageBox::critical(parent, translated("Error"),
                              translated(QT_TRANSLATE_NOOP("Tarexa", "Failed to configure communication device %1.")).arg(deviceName));
        m_port.CloseDevice();
        return;
    }
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
    ScaleStop failure() const { return arrived ? ScaleStop::Refused : ScaleStop::NoReply; }
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

// The text comes marked for translation by the caller.
void showScaleError(QWidget *parent, const char *text)
{
    QMessageBox::critical(parent, translated("Error"), translated(text));
}

// A progress dialog that stays up at its maximum and keeps a Cancel that
// was pressed, until the command that owns it destroys it.
void keepOpenAtMaximum(QProgressDialog &progress)
{
    progress.setAutoReset(false);
    progress.setAutoClose(false);
}

// The data of a programming frame: eight fields, each ended by a TAB. A
// control character in a text would end a field early or break the frame,
// so it goes out as a blank.
QString pluDataText(const PLU &p)
{
    const QString fields[FieldCount] = {
        QString::number(p.Number), QString::number(p.Price, 'f', 2),
        lineText(p.Name[0]), lineText(p.Name[1]), lineText(p.Name[2]), lineText(p.Barcode),
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

// A control character never reaches a cell: a document read from the scale
// can always be saved and programmed again.
QString cellTextOf(const QString &field)
{
    QString text = field;
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

short shortOrZero(const QString &text)
{
    const std::optional<qint64> value = parseDecimal(text);
    return value && *value >= SHRT_MIN && *value <= SHRT_MAX ? short(*value) : 0;
}

bool isMarkedRow(const QTableWidget *table, int row)
{
    return !pluCellText(table, row, PLU_MARK_COLUMN).isEmpty();
}

} // namespace

QString lineText(const QString &text)
{
    QString line = text.normalized(QString::NormalizationForm_C);
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return line;
}

// While a scale command runs, nothing may replace, save or reconfigure the
// document it works on; the actions come back whatever way the command ends.
class Tarexa::ScaleCommandRunning
{
public:
    explicit ScaleCommandRunning(Tarexa *window) : m_window(window)
    {
        m_window->enableDocumentActions(false);
    }
    ~ScaleCommandRunning() { m_window->enableDocumentActions(true); }

private:
    Tarexa *m_window;
};

void Tarexa::enableDocumentActions(bool enable)
{
    for (QAction *action : { newAct, openAct, saveAct, confAct, progAct, readAct, delAct })
        action->setEnabled(enable);
}

// How a scale command ended, in the words the user is owed. The progress
// dialog is gone by now, so nothing can pop up behind the box.
void Tarexa::reportScaleStop(ScaleStop stop)
{
    switch (stop) {
    case ScaleStop::NoReply:
        showScaleError(this, QT_TRANSLATE_NOOP("Tarexa", "Communication error."));
        break;
    case ScaleStop::Refused:
        showScaleError(this, QT_TRANSLATE_NOOP("Tarexa", "Bad data format."));
        break;
    case ScaleStop::NotFound:
        showScaleError(this, QT_TRANSLATE_NOOP("Tarexa", "PLU not found."));
        break;
    case ScaleStop::Finished:
    case ScaleStop::Cancelled:
        break;
    }
}

// Programming: every row with a price goes to the scale as one PLU.
void Tarexa::prog()
{
    const ScaleCommandRunning running(this);
    ScalePort scale(this, m_DeviceName);
    if (!scale.isOpen())
        return;
    const int count = copyFilledRows();
    if (count == 0) {
        scale.close();
        QMessageBox::critical(this, tr("Error"), tr("The list is empty"));
        return;
    }
    ScaleStop stop = ScaleStop::Finished;
    {
        QProgressDialog progress(tr("Programming to Weigh Scale.."),
                                 tr("Cancel"), 0, count, this);
        progress.setMinimumDuration(0);
        keepOpenAtMaximum(progress);
        // Gives the scale a moment on the freshly opened line.
        delay(SettleBeforeProgrammingMs);
        stop = sendPlus(scale.port(), progress);
    }
    scale.close();
    reportScaleStop(stop);
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

ScaleStop Tarexa::sendPlus(WSerial &port, QProgressDialog &progress)
{
    int accepted = 0;
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (plu[row].Number != -1) {
            const ScaleAnswer answer = exchange(port, ProgramCmd, pluDataText(plu[row]),
                                                ShortReplyBuffer, ShortReplyLimit);
            if (!answer.arrived || !answer.accepted())
                return answer.failure();
            progress.setValue(accepted++);
        }
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return ScaleStop::Cancelled;
    }
    return ScaleStop::Finished;
}

// Reading: the scale's PLUs replace the document.
void Tarexa::read()
{
    if (!mayClearDocument())
        return;
    startEmptyDocument();
    const ScaleCommandRunning running(this);
    ScalePort scale(this, m_DeviceName);
    if (!scale.isOpen())
        return;
    ScaleStop stop = ScaleStop::Finished;
    int unnumbered = 0;
    {
        // The bar follows the PLU numbers as they come.
        QProgressDialog progress(tr("Reading from Weigh Scale.."),
                                 tr("Cancel"), 0, ReadProgressMaximum, this);
        keepOpenAtMaximum(progress);
        stop = readFirstPlu(scale.port(), unnumbered);
        if (stop == ScaleStop::Finished)
            stop = readNextPlus(scale.port(), progress, unnumbered);
        scale.close();  // before the dialog goes
    }
    reportScaleStop(stop);
    reportUnnumberedPlus(unnumbered);
}

ScaleStop Tarexa::readFirstPlu(WSerial &port, int &unnumbered)
{
    const ScaleAnswer answer = exchange(port, FirstPluCmd, QString(),
                                        PluReplyBuffer, PluReplyLimit);
    if (!answer.arrived)
        return ScaleStop::NoReply;
    if (!answer.accepted())
        return ScaleStop::NotFound;
    QString text = fromCp1251(answer.bytes);
    if (parsePlu(text) < 0)
        ++unnumbered;
    return ScaleStop::Finished;
}

// The scale does not say how many PLUs it holds: it answers "next" with a
// refusal once it has none left.
ScaleStop Tarexa::readNextPlus(WSerial &port, QProgressDialog &progress, int &unnumbered)
{
    for (int request = 0; request < ReadRequestsAfterFirst; ++request) {
        const ScaleAnswer answer = exchange(port, NextPluCmd, QString(),
                                            PluReplyBuffer, PluReplyLimit);
        if (!answer.arrived)
            return ScaleStop::NoReply;
        if (!answer.accepted())
            return ScaleStop::Finished;
        QString text = fromCp1251(answer.bytes);
        const short number = parsePlu(text);
        if (number >= 0)
            progress.setValue(number);
        else
            ++unnumbered;
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return ScaleStop::Cancelled;
        delay(PauseBetweenReadsMs);
    }
    return ScaleStop::Finished;
}

// Replies whose number field names no row fill nothing; the user hears of
// them once, when the read is over.
void Tarexa::reportUnnumberedPlus(int count)
{
    if (count == 0)
        return;
    QMessageBox::critical(this, tr("Error"),
                          tr("The scale sent %n PLU(s) without a number from 0 to 998. "
                             "They were left out of the table; check the PLU numbers "
                             "stored in the scale.", nullptr, count));
}

short Tarexa::parsePlu(QString &str)
{
    str.remove(0, 4);   // SOH, status and the two length digits
    PLU_STRING s;
    const short number = replyToPlu(str, s);
    if (number >= 0)
        putPluInRow(number, s);
    return number;
}

short Tarexa::replyToPlu(const QString &data, PLU_STRING &s)
{
    const QStringList fields = replyFields(data);
    const std::optional<int> number = parsePluNumber(fields[0]);
    if (!number)
        return -1;
    s.Number = fields[0];
    s.Price = cellTextOf(fields[1]);
    for (int i = 0; i < 3; ++i)
        s.Name[i] = cellTextOf(fields[2 + i]);
    const bool hasBarcode = (shortOrZero(fields[6]) & 0xFF) != 0;
    s.Barcode = hasBarcode ? cellTextOf(fields[5]) : QString();
    s.Durabil = cellTextOf(fields[7]);
    return short(*number);
}

// Deleting: one command for every marked row; the document stays as it is.
void Tarexa::delplu()
{
    const ScaleCommandRunning running(this);
    ScalePort scale(this, m_DeviceName);
    if (!scale.isOpen())
        return;
    ScaleStop stop = ScaleStop::Finished;
    {
        QProgressDialog progress(tr("Deleting.."), tr("Cancel"),
                                 0, DeleteProgressMaximum, this);
        keepOpenAtMaximum(progress);
        stop = deleteMarkedPlus(scale.port(), progress);
        scale.close();  // before the dialog goes
    }
    reportScaleStop(stop);
}

// A mark is read when the loop reaches its row, so marks set meanwhile on
// rows still ahead count.
ScaleStop Tarexa::deleteMarkedPlus(WSerial &port, QProgressDialog &progress)
{
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (isMarkedRow(table, row)) {
            // The PLU's number, so that the scale knows which one to drop.
            const QString data = QString::number(row) + FieldEnd;
            const ScaleAnswer answer = exchange(port, DeleteCmd, data,
                                                ShortReplyBuffer, ShortReplyLimit);
            if (!answer.arrived || !answer.accepted())
                return answer.failure();
        }
        progress.setValue(row);
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            return ScaleStop::Cancelled;
    }
    return ScaleStop::Finished;
}
