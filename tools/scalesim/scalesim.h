#ifndef SCALESIM_H
#define SCALESIM_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// One PLU as the simulated scale keeps it.
struct SimPlu
{
    int number = 0;         // 0..998
    QString price;          // with two decimals, e.g. "1.50"
    QString name[3];
    QString barcode;
    int barType = 0;
    int durability = 0;     // 0..255

    // The eight TAB-terminated fields of a programming frame's data.
    QString dataText() const;
    static bool fromDataText(const QString &text, SimPlu &plu);
};

// How the simulated scale misbehaves. Commands are counted from 1; a count
// of 0 switches the fault off.
struct ScaleSimOptions
{
    int silentFrom = 0;         // no reply to this command and all later ones
    int refuseAt = 0;           // this command is answered with status "1", not carried out
    int vanishAt = 0;           // at this command the scale closes its side of the line
    bool alwaysFound = false;   // "b" and "c" always answer status "0"
    int synBeforeReply = 0;     // SYN bytes sent before every reply
    int gapMs = 0;              // pause between two bytes of a reply
    int gapAfter = 0;           // only after this many bytes of a reply (0: after every byte)
    int garbageBeforeReply = 0; // junk bytes sent before every reply's SOH
    int overlongBy = 0;         // extra data characters in every reply
    int baud = 0;               // pace the line at this rate; 0: no pacing
    int repeatAfterMs = 0;      // send every reply a second time this long after it
    // The shape of the PLU in every "b"/"c" reply that carries one:
    int replyFields = 0;        // only the first N fields (0: all eight)
    bool lastFieldOpen = false; // no TAB after the last field
    int replacedField = 0;      // field N (from 1) is sent as replacementText
    std::string replacementText;
    std::string frameLogPath;   // every received frame, as hex, one per line
    std::string storePath;      // PLUs loaded at start, saved on every change
};

// A stored PLU's data text as the scale sends it in a "b" or "c" reply,
// misshapen as options say.
QString replyDataText(const QString &dataText, const ScaleSimOptions &options);

// Finds command frames in a byte stream: starts at SOH, ends at an ETX whose
// place matches the length digits and whose checksum is right. Anything else
// is skipped; an SOH always starts a new frame.
class FrameReader
{
public:
    // True when byte completed a frame, which frame() then holds.
    bool feed(unsigned char byte);
    bool inFrame() const { return !m_partial.isEmpty(); }
    const QByteArray &frame() const { return m_frame; }

private:
    bool partialIsFrame() const;

    QByteArray m_partial;
    QByteArray m_frame;
};

// A weigh scale on a pseudo-terminal. open() creates the terminal; serve()
// plays the scale until stop() is called (from any thread) or the scale
// vanishes by the vanishAt fault. The PLU store and the list of received
// frames may be read and changed from other threads meanwhile.
class ScaleSim
{
public:
    explicit ScaleSim(const ScaleSimOptions &options = ScaleSimOptions());
    ~ScaleSim();
    ScaleSim(const ScaleSim &) = delete;
    ScaleSim &operator=(const ScaleSim &) = delete;

    // Creates the terminal; with linkPath, also a symbolic link to it there.
    bool open(const std::string &linkPath = std::string());
    // The link when one was asked for, else the terminal's own path.
    std::string devicePath() const;
    // Also serves one TCP connection at a time on 127.0.0.1:port (0: a free
    // port), carrying the bytes as they are, as a scale with a network
    // interface does; replies go where their command came from. After
    // open(); false (see errorText()) when the port cannot be had.
    bool listenTcp(int port);
    // The port listened on, or 0.
    int tcpPort() const { return m_tcpPort; }
    std::string errorText() const { return m_error; }

    void serve();
    void stop();

    ScaleSimOptions options() const;
    void setOptions(const ScaleSimOptions &options);
    std::map<int, SimPlu> plus() const;
    void setPlus(const std::map<int, SimPlu> &plus);
    std::vector<QByteArray> receivedFrames() const;
    // Called on the serving thread with the count of frames received so
    // far, each time a frame has come in and before it is answered.
    void setFrameObserver(std::function<void(int)> observer);
    // Replies written out to their last byte (or given up on) so far.
    int repliesFinished() const { return m_repliesFinished; }

private:
    using Clock = std::chrono::steady_clock;
    struct Reply
    {
        char status;
        QString data;
    };

    bool fail(const char *what);
    bool openTerminal();
    void closeLine();
    void handleFrame(const QByteArray &frame, Clock::time_point arrival);
    Reply carryOut(unsigned char cmd, const QString &data);
    Reply nextPlu();
    Reply removePlu(const QString &data);
    void sendReply(const QByteArray &bytes, const ScaleSimOptions &options,
                   Clock::time_point lineFreeAt);
    bool writePaced(const QByteArray &bytes, const ScaleSimOptions &options,
                    Clock::time_point lineFreeAt);
    bool writeAll(const char *bytes, size_t count);
    void takeBytes(int fd, Clock::time_point &frameStart);
    void acceptClient();
    void dropClient();
    bool waitUntil(Clock::time_point when);
    void logFrame(const QByteArray &frame);
    void loadStore();
    void saveStore() const;

    ScaleSimOptions m_options;
    std::string m_linkPath;
    std::string m_slavePath;
    std::string m_error;
    int m_master = -1;
    int m_slave = -1;       // held open so that the master never sees a hang-up
    int m_wake[2] = { -1, -1 };
    int m_listener = -1;    // --tcp
    int m_client = -1;      // the TCP connection being served
    int m_replyTo = -1;     // where the frame being answered came from
    int m_tcpPort = 0;
    std::atomic<int> m_repliesFinished { 0 };
    std::atomic<bool> m_stopping { false };
    FrameReader m_reader;
    int m_commands = 0;
    int m_readCursor = -1;  // number of the PLU "b"/"c" sent last

    mutable std::mutex m_mutex;     // guards the four below and m_options
    std::map<int, SimPlu> m_plus;
    std::vector<QByteArray> m_frames;
    std::function<void(int)> m_frameObserver;
};

#endif // SCALESIM_H
