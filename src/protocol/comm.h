#ifndef COMM_H
#define COMM_H

#include "serial.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <chrono>
#include <optional>
#include <string>

// A text field as it goes onto the line: composed (NFC), so that a letter
// typed with a combining accent is one character, and with every control
// character as a blank, so that it can never end its field or the frame.
QString lineText(const QString &text);

// Control bytes of the scale's frames.
constexpr unsigned char SOH = 0x01;
constexpr unsigned char ETX = 0x03;
constexpr unsigned char SYN = 0x16;

// A byte value as two frame digits, high half first; 10..15 are ":".."?".
QByteArray frameDigits(unsigned char value);
// The 8-bit sum of the bytes from the second one on: the frame checksum.
unsigned char frameSum(const QByteArray &bytes);

// Where a reply is collected: room for the longest reply any command
// collects, and the zero that ends it.
using ReplyBuffer = std::array<unsigned char, 500>;

// The line's waits. The defaults are what a real scale needs; tests on the
// simulated scale shorten them.
struct LineTiming
{
    // The rest the line takes after each exchange before the next frame.
    int pauseAfterExchangeMs = 100;
    // How long one reply byte may take to follow the one before.
    int byteTimeoutMs = 1000;
    // Longest time one exchange may take from the written frame to the
    // complete reply. A scale that keeps the line busy with SYN bytes
    // would otherwise hold the program for ever.
    int replyBoundMs = 10000;
    // How long the line must stay quiet after a reply for the reply to be
    // taken as this frame's: long enough for the scale's own answer to
    // follow a late copy of an earlier one (a frame's time on the line and
    // a little more), and short enough to leave the rest of the pause that
    // follows every exchange for the work done in it.
    int quietAfterReplyMs = 80;
};

// The scale's frame: SOH, command (or, in a reply, status) byte, two length
// digits, the data in Windows-1251, two checksum digits, ETX. A digit is
// 0x30 + a 4-bit value, so 10..15 are ":" to "?".
class WSerial : public MSerial
{
public:
    // The slices a wait for a reply byte is cut into, so that a stop asked
    // for meanwhile is noticed in time.
    static constexpr int WaitSliceMs = 50;

    void setTiming(const LineTiming &timing) { m_timing = timing; }
    const LineTiming &timing() const { return m_timing; }

    // Sends one command and collects its reply into answer_buf, leaving out
    // SYN bytes, up to ETX (kept) or answer_len counted bytes; then discards
    // what is pending on the line and pauses (see LineTiming). False when a
    // reply byte did not come in time, when the reply was not complete
    // within the reply bound after the frame went out, or when answer_len
    // asked for more than the buffer holds and the reply went on past its
    // end (it is cut there); and, with no reply waited for, when the frame could not
    // be written whole (LastError() says why). Nothing but reply bytes is
    // written to answer_buf, and its last place stays as it was.
    bool sendScaleCmd(unsigned char cmd, const QString &data,
                      ReplyBuffer &answer_buf, int answer_len);
    // sendScaleCmd without the pause after it, for callers that keep the
    // line's pauses themselves and use them for work of their own.
    bool exchangeFrame(unsigned char cmd, const QString &data,
                       ReplyBuffer &answer_buf, int answer_len);
    // exchangeFrame in two halves: the frame goes out (after what is
    // pending on the line is discarded), and later its reply is collected,
    // no later than deadline. With quietAfterMs, a reply that ends in its
    // ETX must be followed by that long without a byte but SYN and copies
    // of it: another reply means that one of them came late for an earlier
    // frame, and which answers this one cannot be told (false).
    // writeFrame is false when the frame could not be written whole.
    bool writeFrame(unsigned char cmd, const QString &data);
    // endedAt, when given, is when collecting ended (before the quiet).
    bool collectReply(ReplyBuffer &answer_buf, int answer_len,
                      std::chrono::steady_clock::time_point deadline, int quietAfterMs = 0,
                      std::chrono::steady_clock::time_point *endedAt = nullptr);

    // Two digits of the 8-bit sum of str's Windows-1251 bytes from the
    // second one on.
    static QString checkSum(const QString &str);

    // The complete frame for a command (or a reply's status) and its data.
    static QByteArray buildFrame(unsigned char cmd, const QString &data);

private:
    // For span, no byte comes but SYN and copies of the reply.
    bool onlyCopiesFollow(const unsigned char *reply, int length, std::chrono::milliseconds span);

    LineTiming m_timing;
};

// Stores a reply as it arrives, one byte at a time: SYN bytes are left out
// (but a SYN before any counted byte uses up one place of the limit), ETX
// is stored and ends the reply, and so does reaching the limit.
class ReplyCollector
{
public:
    ReplyCollector(unsigned char *buffer, int limit);

    // Takes the next byte; returns whether the reply goes on.
    bool feed(unsigned char byte);
    bool wantsMore() const { return !m_ended && m_counted < m_limit; }
    // The reply ended with its ETX (rather than at the limit).
    bool ended() const { return m_ended; }
    int storedCount() const { return m_stored; }

private:
    unsigned char *m_buffer;
    int m_limit;
    int m_stored = 0;
    int m_counted = 0;
    bool m_ended = false;
};

// Blocks the calling thread for ms milliseconds without processing events.
void delay(int ms);

// Asked from a signal handler (it only stores a number): the process is to
// stop. From then on no frame goes out, and an exchange in progress, on any
// thread, gives up at most StopGraceMs after it notices; its PLU is then
// unknown, as for a reply that did not come. The first number stays.
constexpr int StopGraceMs = 1000;
void requestLineStop(int signalNumber) noexcept;
// The number given to requestLineStop, or 0.
int lineStopRequested() noexcept;
// A stop signal's name, such as "SIGTERM".
QString stopSignalName(int signalNumber);

// Why a port could not be opened, in one phrase: the system's words, or
// that another program holds it (named where the system tells).
QString openFailureReason(const std::string &devicePath, int error);
// The details shown under "Could not open communication device %1.": the
// reason and, when the user may not use the device, how to get the right
// through the group that owns it.
QString openFailureDetails(const std::string &devicePath, int error);
// The path the port for a configured device name is opened by.
std::string devicePathOf(const QString &deviceName);
// The one name of the port a device name opens (see serialPortIdentity):
// every name of one port gives the same text.
QString portIdentity(const QString &deviceName);
// portIdentity, when the device is there to tell it (on Windows a COM name
// and anywhere a network address need no device); empty otherwise.
std::optional<QString> presentPortIdentity(const QString &deviceName);

// Why a device name meant as a network address (tcp://, rfc2217://) cannot
// be used, in the user's words; empty for a sound address or a local port.
QString networkAddressProblem(const QString &deviceName);

// One exchange and the reply as a cleared buffer holds it afterwards.
struct ScaleReply
{
    bool ok = false;            // false: a reply byte did not come in time,
                                // or the reply did not fit its buffer
    QByteArray bytes;           // the stored reply, up to its first zero byte
    char statusByte = '\0';     // the buffer's second byte: '0' when carried out
    char status() const { return statusByte; }
    bool accepted() const { return status() == '0'; }
    // The reply starts as a frame does, so its status byte is one, and when
    // it came whole (up to its ETX) its length and checksum digits are
    // right: bytes before the SOH (line noise), or a byte changed on the
    // way, leave it unknown whether the scale carried the command out. A
    // reply cut at its limit cannot be checked, and is taken as it stands.
    bool understood() const;
    bool whole() const { return bytes.endsWith(char(ETX)); }
    QString data() const;       // between the length and the checksum digits
    // The text after the status and the length digits: the data alone when
    // the reply came whole, else all that came.
    QString dataText() const;
};
// Sends cmd with data and collects at most limit counted reply bytes (see
// WSerial::sendScaleCmd).
ScaleReply scaleExchange(WSerial &port, unsigned char cmd, const QString &data = QString(),
                         int limit = 200);

// Why the port could not be used, as the system told it.
struct PortFailure
{
    // CannotWrite: the port was set up, but a frame could not be written
    // whole during the command (a device unplugged, for one).
    enum Kind { None, CannotOpen, CannotConfigure, CannotWrite } kind = None;
    int error = 0;              // errno on POSIX, GetLastError() on Windows
    std::string path;           // the device path that was opened

    bool failed() const { return kind != None; }
};

// Opens and configures the port for one scale command and closes it when
// the guard goes out of scope. When either step fails, isOpen() is false,
// failure() says which step and why, and there is nothing to close.
class ScalePort
{
public:
    explicit ScalePort(const QString &deviceName, const LineTiming &timing = LineTiming());
    ~ScalePort();
    ScalePort(const ScalePort &) = delete;
    ScalePort &operator=(const ScalePort &) = delete;

    bool isOpen() const { return m_open; }
    const PortFailure &failure() const { return m_failure; }
    WSerial &port() { return m_port; }
    // Closes the port before the guard goes, once the line has had its
    // pause; later calls do nothing.
    void close();

    // One exchange, once the line has had its pause after the one before.
    // The pause that follows it is not waited for here: whatever the
    // caller does next runs inside it, and the next exchange waits for the
    // rest.
    ScaleReply exchange(unsigned char cmd, const QString &data, int limit);
    // exchange in two halves, for a caller with work to do while the reply
    // comes in: the frame goes out now, the reply is collected later (within
    // the exchange's bound from the frame). Once a stop has been asked for
    // (see requestLineStop) no frame goes out and the reply is none. A
    // frame that could not be written whole has no reply either, and then
    // failure() says why (CannotWrite) while the port stays open to close.
    void startExchange(unsigned char cmd, const QString &data);
    ScaleReply finishExchange(int limit);
    // The line rests ms more milliseconds after the pause it is in (or
    // after the port was opened, before any exchange), however long the
    // caller took meanwhile: work done then costs the line nothing.
    void rest(int ms);

private:
    using Clock = std::chrono::steady_clock;
    void waitForTheLine();

    WSerial m_port;
    bool m_open = false;
    PortFailure m_failure;
    Clock::time_point m_lineFreeAt = Clock::now();
    Clock::time_point m_replyDeadline = Clock::now();
    bool m_frameSent = false;
};

#endif // COMM_H
