// Programs N PLUs (default 100) into the simulated scale and reads them back,
// with the line paced at 9600 baud, driving the real main window offscreen,
// then does the same with tarexa-cli (its time includes starting the
// process).
// For each direction it prints the measured time, the floor the protocol
// itself sets (every frame and reply byte at 9600 baud, 10 bits a byte, plus
// the fixed pauses of the command) and their ratio.
// Next, Program Changes of k changed PLUs out of a full table of 999 that the
// record knows (k = 1, 20, 100), through the window and through tarexa-cli:
// the same figures, the floor including the request for the scale's first
// PLU that comes before anything is sent, the speed-up over a full Program
// of the table, and what starting tarexa-cli costs. That Program is not run
// (it takes some 150 s): its time is its floor (999 frames of the measured
// mean size) times the ratio the plain Program above measured.
// Then the window's Program and Read again over the network, through
// Debian's ser2net in front of the same paced scale (chardelay off): raw
// TCP and RFC 2217, each ratio to the floor printed beside the local
// device's.
// Last, Program Changes of 20 PLUs to each of three scales, every scale on a
// line of its own: the time of the three side by side and of the three one
// after another, each beside the floor of one scale.

#include "appidentity.h"
#include "allscales.h"
#include "changes.h"
#include "check.h"
#include "comm.h"
#include "plutable.h"
#include "scale.h"
#include "scalefixture.h"
#include "scalesim.h"
#include "scalestore.h"
#include "ser2netfixture.h"
#include "plusheet.h"
#include "tarexa.h"
#include "xml.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

namespace {

const int Baud = 9600;
const double SecondsPerByte = 10.0 / Baud;
const double ExchangePause = 0.100;
const double ProgramSettle = 0.500;
const double ReadPause = 0.100;

// A simulated scale with its line paced at Baud, served by a thread of its
// own for as long as the object lives.
class ServedScale
{
public:
    ServedScale() : m_sim(pacedOptions()) {}
    ~ServedScale()
    {
        if (m_server.joinable()) {
            m_sim.stop();
            m_server.join();
        }
    }
    ServedScale(const ServedScale &) = delete;
    ServedScale &operator=(const ServedScale &) = delete;

    bool start()
    {
        if (!m_sim.open())
            return false;
        m_server = std::thread([this] { m_sim.serve(); });
        return true;
    }
    ScaleSim &sim() { return m_sim; }
    QString device() const { return QString::fromStdString(m_sim.devicePath()); }

private:
    static ScaleSimOptions pacedOptions()
    {
        ScaleSimOptions options;
        options.baud = Baud;
        return options;
    }

    ScaleSim m_sim;
    std::thread m_server;
};

struct Figures
{
    double measured = 0;
    double floor = 0;
};

// A barcode of its own for a row, with a right check digit, so that the
// check before programming finds nothing to ask about.
QString benchBarcode(int row)
{
    const QString twelve = QString("46%1").arg(row, 10, 10, QChar('0'));
    return twelve + QString::number(ean13CheckDigit(twelve));
}

QStringList benchRowTexts(int row)
{
    return {
        QString::number(1 + row * 0.37, 'f', 2),
        QString("Article %1").arg(row),
        row % 2 ? QString("Хлеб ржаной") : QString(),
        QString(),
        row % 3 ? benchBarcode(row) : QString(),
        QString::number(row % 256),
    };
}

void fillTable(QTableWidget *table, int count)
{
    for (int row = 0; row < count; ++row) {
        const QStringList texts = benchRowTexts(row);
        for (int col = 0; col < texts.size(); ++col)
            table->setItem(row, col, new QTableWidgetItem(texts[col]));
    }
}

// Only counts: the bench watches the line, not the progress.
class QuietProgress : public ScaleProgress
{
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

class QuietScalesProgress : public ScalesProgress
{
public:
    void setValue(int, int) override {}
    bool cancelled() override { return false; }
};

struct ChangesFigures
{
    Figures changes;
    double fullFloor = 0;
};

double timeCommand(Tarexa &window, const char *slot)
{
    QElapsedTimer timer;
    timer.start();
    QMetaObject::invokeMethod(&window, slot);
    return timer.nsecsElapsed() / 1e9;
}

int replySize(char status, const QString &data = QString())
{
    return int(WSerial::buildFrame(static_cast<unsigned char>(status), data).size());
}

double programFloor(const ScaleSim &sim, size_t framesBefore)
{
    const std::vector<QByteArray> frames = sim.receivedFrames();
    double floor = ProgramSettle;
    for (size_t i = framesBefore; i < frames.size(); ++i)
        floor += (frames[i].size() + replySize('0')) * SecondsPerByte + ExchangePause;
    return floor;
}

double readFloor(const ScaleSim &sim, const std::map<int, SimPlu> &stored, size_t framesBefore)
{
    const std::vector<QByteArray> frames = sim.receivedFrames();
    int replyBytes = replySize('1');    // the answer that there is no next PLU
    for (const auto &entry : stored)
        replyBytes += replySize('0', entry.second.dataText());
    int requestBytes = 0;
    for (size_t i = framesBefore; i < frames.size(); ++i)
        requestBytes += int(frames[i].size());
    const int exchanges = int(frames.size() - framesBefore);
    return (requestBytes + replyBytes) * SecondsPerByte + exchanges * ExchangePause
         + (int(stored.size()) - 1) * ReadPause;
}

Figures program(ScaleSim &sim, const QString &device, int count, const QString &savedAs)
{
    const size_t framesBefore = sim.receivedFrames().size();
    Tarexa window;
    window.setDeviceName(device);
    fillTable(window.pluTable(), count);
    Figures f;
    f.measured = timeCommand(window, "prog");
    f.floor = programFloor(sim, framesBefore);
    // The file the window's Save writes, through the same engine code.
    PluTable table;
    for (int row = 0; row < PLU_COUNT; ++row)
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            table.setText(row, col, pluCellText(window.pluTable(), row, col));
    QByteArray bytes;
    if (!serialisePluTable(table, bytes) || !writePluFile(savedAs, bytes))
        std::fprintf(stderr, "bench_scale: could not write %s\n", qPrintable(savedAs));
    return f;
}

double timeCli(const QStringList &arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(TAREXA_CLI_PROGRAM, arguments);
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0)
        std::fprintf(stderr, "bench_scale: tarexa-cli %s failed\n",
                     qPrintable(arguments.join(' ')));
    return timer.nsecsElapsed() / 1e9;
}

Figures cliProgram(ScaleSim &sim, const QString &device, const QString &file)
{
    sim.setPlus({});
    const size_t framesBefore = sim.receivedFrames().size();
    Figures f;
    f.measured = timeCli({ "--device", device, "program", file });
    f.floor = programFloor(sim, framesBefore);
    return f;
}

Figures cliRead(ScaleSim &sim, const QString &device, const QString &file)
{
    const std::map<int, SimPlu> stored = sim.plus();
    const size_t framesBefore = sim.receivedFrames().size();
    Figures f;
    f.measured = timeCli({ "--device", device, "read", "-o", file });
    f.floor = readFloor(sim, stored, framesBefore);
    return f;
}

QByteArray contentsOf(const QString &file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// A fresh window holds no document, so the read asks nothing first.
Figures read(ScaleSim &sim, const QString &device, int &rowsRead)
{
    const std::map<int, SimPlu> stored = sim.plus();
    const size_t framesBefore = sim.receivedFrames().size();
    Tarexa window;
    window.setDeviceName(device);
    Figures f;
    f.measured = timeCommand(window, "read");

    f.floor = readFloor(sim, stored, framesBefore);

    rowsRead = 0;
    for (int row = 0; row < window.pluTable()->rowCount(); ++row)
        if (window.pluTable()->item(row, 0) && !window.pluTable()->item(row, 0)->text().isEmpty())
            ++rowsRead;
    return f;
}

// The floor of Program Changes: the request for the scale's first PLU
// (its reply carries that PLU) and the pause after it, the settle before
// programming, then each PLU sent.
double changesFloor(const ScaleSim &sim, size_t framesBefore, const QString &firstPluData)
{
    const std::vector<QByteArray> frames = sim.receivedFrames();
    double floor = ProgramSettle;
    for (size_t i = framesBefore; i < frames.size(); ++i) {
        const bool probe = frames[i].at(1) == 'b';
        const int reply = probe ? replySize('0', firstPluData) : replySize('0');
        floor += (frames[i].size() + reply) * SecondsPerByte + ExchangePause;
    }
    return floor;
}

// The scale and the record hold the whole table of 999 rows; k rows of it
// get a new price.
struct ChangesCase
{
    PluTable table;
    QString firstPluData;
};

ChangesCase prepareChanges(ScaleSim &sim, const QString &device, int k)
{
    ChangesCase c;
    QList<PLU_STRING> held;
    std::map<int, SimPlu> onScale;
    for (int row = 0; row < PLU_COUNT; ++row) {
        const QStringList texts = benchRowTexts(row);
        for (int col = 0; col < texts.size(); ++col)
            c.table.setText(row, col, texts[col]);
        held << c.table.row(row);
        onScale[row] = simPluOf(row, c.table.row(row));
    }
    sim.setPlus(onScale);
    ScaleStore().replaceSnapshot(device, held);
    c.firstPluData = onScale.begin()->second.dataText();
    const int step = PLU_COUNT / k;
    for (int i = 0; i < k; ++i)
        c.table.setText(i * step, PriceColumn, QString::number(500 + i * 0.25, 'f', 2));
    return c;
}

// The window's Program Changes, as the user runs it.
ChangesFigures windowProgramChanges(ScaleSim &sim, const QString &device, int k)
{
    const ChangesCase c = prepareChanges(sim, device, k);
    Tarexa window;
    window.setDeviceName(device);
    for (int row = 0; row < PLU_COUNT; ++row)
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            window.pluTable()->setItem(row, col, new QTableWidgetItem(c.table.text(row, col)));
    const size_t framesBefore = sim.receivedFrames().size();
    ChangesFigures f;
    f.changes.measured = timeCommand(window, "programChanges");
    f.changes.floor = changesFloor(sim, framesBefore, c.firstPluData);
    const int sent = int(sim.receivedFrames().size() - framesBefore) - 1;
    if (sent != k)
        std::fprintf(stderr, "bench_scale: Program Changes sent %d PLUs, not %d\n", sent, k);
    const double perExchange = (f.changes.floor - ProgramSettle) / (k + 1);
    f.fullFloor = ProgramSettle + PLU_COUNT * perExchange;
    return f;
}

// tarexa-cli program --changed of the same table, as a file.
Figures cliProgramChanges(ScaleSim &sim, const QString &device, int k, const QString &file)
{
    const ChangesCase c = prepareChanges(sim, device, k);
    QByteArray bytes;
    if (!serialisePluTable(c.table, bytes) || !writePluFile(file, bytes))
        std::fprintf(stderr, "bench_scale: could not write %s\n", qPrintable(file));
    const size_t framesBefore = sim.receivedFrames().size();
    Figures f;
    f.measured = timeCli({ "--device", device, "program", "--changed", file });
    f.floor = changesFloor(sim, framesBefore, c.firstPluData);
    return f;
}

// What starting tarexa-cli costs before it does anything.
double cliStart()
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i)
        times.push_back(timeCli({ "--version" }));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

const int ScalesAtOnce = 3;
const int ChangedPerScale = 20;

struct ScalesFigures
{
    Figures sideBySide;
    Figures oneAfterAnother;    // its floor is the floor of one scale too
    bool allSent = false;
};

// Every scale empty and its snapshot complete and empty, so that each of
// the rows in use is a change to send.
std::optional<QList<ScalePlan>> planFromEmpty(const PluTable &table,
                                              const QList<ScaleEntry> &scales, ScaleStore &store,
                                              std::vector<std::unique_ptr<ServedScale>> &served)
{
    for (const std::unique_ptr<ServedScale> &scale : served)
        scale->sim().setPlus({});
    for (const ScaleEntry &scale : scales)
        store.replaceSnapshot(scale.device, {});
    return planChanges(table, scales, store);
}

bool allSent(const QList<ScaleResult> &results)
{
    for (const ScaleResult &result : results)
        if (!result.succeeded() || result.outcome.accepted != ChangedPerScale)
            return false;
    return true;
}

std::vector<size_t> frameCounts(std::vector<std::unique_ptr<ServedScale>> &scales)
{
    std::vector<size_t> counts;
    for (const std::unique_ptr<ServedScale> &scale : scales)
        counts.push_back(scale->sim().receivedFrames().size());
    return counts;
}

// The slowest scale's floor: side by side, no run can end before it.
double slowestFloor(std::vector<std::unique_ptr<ServedScale>> &scales,
                    const std::vector<size_t> &framesBefore)
{
    double floor = 0;
    for (size_t i = 0; i < scales.size(); ++i)
        floor = std::max(floor, programFloor(scales[i]->sim(), framesBefore[i]));
    return floor;
}

// Program Changes of the same 20 rows to three scales at once, one thread per
// port, then to each of them in turn. Empty when a pseudo-terminal or the
// store cannot be had.
std::optional<ScalesFigures> programChangesToThree(const QString &storePath)
{
    std::vector<std::unique_ptr<ServedScale>> served;
    QList<ScaleEntry> scales;
    for (int i = 0; i < ScalesAtOnce; ++i) {
        served.push_back(std::make_unique<ServedScale>());
        if (!served.back()->start()) {
            std::fprintf(stderr, "bench_scale: %s\n", served.back()->sim().errorText().c_str());
            return std::nullopt;
        }
        scales << ScaleEntry{ QString("Scale %1").arg(i + 1), served.back()->device() };
    }
    PluTable table;
    for (int row = 0; row < ChangedPerScale; ++row) {
        const QStringList texts = benchRowTexts(row);
        for (int col = 0; col < texts.size(); ++col)
            table.setText(row, col, texts[col]);
    }
    ScaleStore store(storePath);
    if (!store.isUsable()) {
        std::fprintf(stderr, "bench_scale: %s\n", qPrintable(store.error()));
        return std::nullopt;
    }
    QuietScalesProgress quiet;
    ScalesFigures f;

    std::vector<size_t> framesBefore = frameCounts(served);
    QElapsedTimer timer;
    timer.start();
    std::optional<QList<ScalePlan>> plans = planFromEmpty(table, scales, store, served);
    if (!plans)
        return std::nullopt;
    const QList<ScaleResult> together =
        programChangesToScales(table, *plans, QString(), quiet, storePath);
    f.sideBySide.measured = timer.nsecsElapsed() / 1e9;
    f.sideBySide.floor = slowestFloor(served, framesBefore);

    framesBefore = frameCounts(served);
    timer.restart();
    plans = planFromEmpty(table, scales, store, served);
    if (!plans)
        return std::nullopt;
    QList<ScaleResult> inTurn;
    for (const ScalePlan &plan : *plans)
        inTurn << programChangesToScales(table, { plan }, QString(), quiet, storePath);
    f.oneAfterAnother.measured = timer.nsecsElapsed() / 1e9;
    f.oneAfterAnother.floor = slowestFloor(served, framesBefore);

    f.allSent = allSent(together) && allSent(inTurn);
    return f;
}

void print(const char *direction, const Figures &f)
{
    std::printf("%-12s measured %8.3f s   floor %8.3f s   ratio %.4f\n",
                direction, f.measured, f.floor, f.measured / f.floor);
}

double ratio(const Figures &f)
{
    return f.measured / f.floor;
}

// The window's Program and Read of count PLUs through address; false when
// the scale did not end up with them all.
bool overTheNetwork(ScaleSim &sim, const char *label, const QString &address, int count,
                    const QString &savedAs, const Figures &localProgram, const Figures &localRead)
{
    sim.setPlus({});
    const Figures programmed = program(sim, address, count, savedAs);
    const int held = int(sim.plus().size());
    int rowsRead = 0;
    const Figures readBack = read(sim, address, rowsRead);
    print(qPrintable(QString("program %1").arg(label)), programmed);
    print(qPrintable(QString("read %1").arg(label)), readBack);
    std::printf("%-12s ratio to the floor: program %.4f (local device %.4f), read %.4f (local "
                "device %.4f)\n", "", ratio(programmed), ratio(localProgram), ratio(readBack),
                ratio(localRead));
    std::fflush(stdout);
    return held == count && rowsRead == count;
}

// Raw TCP and RFC 2217 through ser2net; false when either went wrong.
bool networkFigures(ScaleSim &sim, int count, const QString &savedAs,
                    const Figures &localProgram, const Figures &localRead)
{
    Ser2netFixture server(sim.devicePath());
    if (!server.start()) {
        std::fprintf(stderr, "bench_scale: %s\n", server.errorText().c_str());
        return false;
    }
    std::printf("The same through ser2net (chardelay off) in front of the scale\n");
    return overTheNetwork(sim, "tcp", server.rawAddress(), count, savedAs, localProgram, localRead)
        && overTheNetwork(sim, "rfc2217", server.telnetAddress(), count, savedAs, localProgram,
                          localRead);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window and the tool keep what the scale holds in the data folder:
    // a folder of the bench's own, never the user's.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    QTemporaryDir settings;
    setApplicationIdentity();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    const int count = argc > 1 ? QString(argv[1]).toInt() : 100;
    if (count < 1 || count > 999) {
        std::fprintf(stderr, "usage: bench_scale [N from 1 to 999]\n");
        return 2;
    }

    ServedScale served;
    if (!served.start()) {
        std::fprintf(stderr, "bench_scale: %s\n", served.sim().errorText().c_str());
        return 1;
    }
    ScaleSim &sim = served.sim();
    const QString device = served.device();

    std::printf("%d PLUs through the simulated scale at %d baud\n", count, Baud);
    std::fflush(stdout);
    QTemporaryDir files;
    const QString windowFile = files.filePath("window.xml");
    const QString cliFile = files.filePath("cli.xml");
    const Figures programmed = program(sim, device, count, windowFile);
    print("program", programmed);
    std::fflush(stdout);
    int rowsRead = 0;
    const Figures readBack = read(sim, device, rowsRead);
    print("read", readBack);
    std::fflush(stdout);
    if (!networkFigures(sim, count, files.filePath("network.xml"), programmed, readBack)) {
        std::fprintf(stderr, "bench_scale: the scale over the network did not take and give "
                             "back all %d PLUs\n", count);
        return 1;
    }
    print("cli program", cliProgram(sim, device, windowFile));
    std::fflush(stdout);
    print("cli read", cliRead(sim, device, cliFile));
    std::fflush(stdout);
    const int held = int(sim.plus().size());
    const double programRatio = programmed.measured / programmed.floor;
    std::printf("Program Changes of k of 999 PLUs, the request for the first PLU included\n");
    for (int k : { 1, 20, 100 }) {
        const ChangesFigures f = windowProgramChanges(sim, device, k);
        const QString label = QString("changes %1").arg(k);
        print(qPrintable(label), f.changes);
        std::printf("%-12s full Program of 999 estimated %8.3f s (floor %.3f s x ratio %.4f)"
                    "   speed-up %.1f\n", "", f.fullFloor * programRatio, f.fullFloor,
                    programRatio, f.fullFloor * programRatio / f.changes.measured);
        std::fflush(stdout);
    }
    const double start = cliStart();
    for (int k : { 1, 20, 100 }) {
        const Figures f = cliProgramChanges(sim, device, k, files.filePath("changes.xml"));
        const QString label = QString("cli chg %1").arg(k);
        print(qPrintable(label), f);
        std::printf("%-12s of which starting tarexa-cli %.3f s (%.1f %% of the floor)\n", "",
                    start, 100 * start / f.floor);
        std::fflush(stdout);
    }
    const std::optional<ScalesFigures> three = programChangesToThree(files.filePath("scales.db"));
    if (three) {
        std::printf("Program Changes of %d PLUs to %d scales, each beside the floor of one scale\n",
                    ChangedPerScale, ScalesAtOnce);
        print("side by side", three->sideBySide);
        print("in turn", three->oneAfterAnother);
        std::fflush(stdout);
    }
    const bool sameFile = contentsOf(cliFile) == contentsOf(windowFile)
                       && !contentsOf(cliFile).isEmpty();

    if (!three || !three->allSent) {
        std::fprintf(stderr, "bench_scale: not every scale took its %d PLUs\n", ChangedPerScale);
        return 1;
    }
    if (!sameFile) {
        std::fprintf(stderr, "bench_scale: tarexa-cli read back another file than it programmed\n");
        return 1;
    }
    if (held != count || rowsRead != count) {
        std::fprintf(stderr, "bench_scale: the scale holds %d PLUs and %d were read, not %d\n",
                     held, rowsRead, count);
        return 1;
    }
    return 0;
}
