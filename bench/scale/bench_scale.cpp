// Programs N PLUs (default 100) into the simulated scale and reads them back,
// with the line paced at 9600 baud, driving the real main window offscreen,
// then does the same with tarexa-cli (its time includes starting the
// process).
// For each direction it prints the measured time, the floor the protocol
// itself sets (every frame and reply byte at 9600 baud, 10 bits a byte, plus
// the fixed pauses of the command) and their ratio.
// Last, Program Changes of k changed PLUs out of a full table of 999 that the
// snapshot knows (k = 1, 20, 100), through the engine as the window runs it:
// the same figures, and the speed-up over a full Program of the table. That
// Program is not run (it takes some 150 s): its time is its floor (999 frames
// of the measured mean size) times the ratio the plain Program above measured.

#include "changes.h"
#include "check.h"
#include "comm.h"
#include "plutable.h"
#include "scale.h"
#include "scalesim.h"
#include "scalestore.h"
#include "tarexa.h"
#include "xml.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <thread>

namespace {

const int Baud = 9600;
const double SecondsPerByte = 10.0 / Baud;
const double ExchangePause = 0.100;
const double ProgramSettle = 0.500;
const double ReadPause = 0.100;

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
    Tarexa window;
    window.m_DeviceName = device;
    fillTable(window.pluTable(), count);
    Figures f;
    f.measured = timeCommand(window, "prog");
    f.floor = programFloor(sim, 0);
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
    window.m_DeviceName = device;
    Figures f;
    f.measured = timeCommand(window, "read");

    f.floor = readFloor(sim, stored, framesBefore);

    rowsRead = 0;
    for (int row = 0; row < window.pluTable()->rowCount(); ++row)
        if (window.pluTable()->item(row, 0) && !window.pluTable()->item(row, 0)->text().isEmpty())
            ++rowsRead;
    return f;
}

// The scale and the snapshot hold the whole table; k rows of it get a new
// price, then Program Changes runs as the window runs it: snapshot,
// changedRows, programPlus of those rows behind a RecordingProgress.
ChangesFigures programChanges(ScaleSim &sim, const QString &device, ScaleStore &store, int k)
{
    PluTable table;
    QList<PLU_STRING> held;
    for (int row = 0; row < PLU_COUNT; ++row) {
        const QStringList texts = benchRowTexts(row);
        for (int col = 0; col < texts.size(); ++col)
            table.setText(row, col, texts[col]);
        held << table.row(row);
    }
    store.replaceSnapshot(device, held);
    const int step = PLU_COUNT / k;
    for (int i = 0; i < k; ++i)
        table.setText(i * step, PriceColumn, QString::number(500 + i * 0.25, 'f', 2));

    const size_t framesBefore = sim.receivedFrames().size();
    QElapsedTimer timer;
    timer.start();
    const std::optional<Snapshot> snapshot = store.snapshot(device);
    const QList<int> changed = snapshot ? changedRows(table, *snapshot) : QList<int>();
    QuietProgress quiet;
    RecordingProgress recording(&store, ScaleCommand::ProgramChanges, device, QString(), quiet);
    const ScaleOutcome outcome = programPlus(device, rowsOf(table, changed), recording);
    recording.finish(outcome, QString());
    ChangesFigures f;
    f.changes.measured = timer.nsecsElapsed() / 1e9;
    f.changes.floor = programFloor(sim, framesBefore);
    if (!outcome.succeeded() || changed.size() != k)
        std::fprintf(stderr, "bench_scale: Program Changes sent %d PLUs, not %d\n",
                     int(changed.size()), k);
    const double perExchange = (f.changes.floor - ProgramSettle) / k;
    f.fullFloor = ProgramSettle + PLU_COUNT * perExchange;
    return f;
}

void print(const char *direction, const Figures &f)
{
    std::printf("%-12s measured %8.3f s   floor %8.3f s   ratio %.4f\n",
                direction, f.measured, f.floor, f.measured / f.floor);
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
    QCoreApplication::setOrganizationName("Kestrova");
    QCoreApplication::setApplicationName("Weigh Scale");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    const int count = argc > 1 ? QString(argv[1]).toInt() : 100;
    if (count < 1 || count > 999) {
        std::fprintf(stderr, "usage: bench_scale [N from 1 to 999]\n");
        return 2;
    }

    ScaleSimOptions options;
    options.baud = Baud;
    ScaleSim sim(options);
    if (!sim.open()) {
        std::fprintf(stderr, "bench_scale: %s\n", sim.errorText().c_str());
        return 1;
    }
    std::thread server([&sim] { sim.serve(); });
    const QString device = QString::fromStdString(sim.devicePath());

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
    print("cli program", cliProgram(sim, device, windowFile));
    std::fflush(stdout);
    print("cli read", cliRead(sim, device, cliFile));
    std::fflush(stdout);
    const int held = int(sim.plus().size());
    const double programRatio = programmed.measured / programmed.floor;
    ScaleStore store(files.filePath("changes.db"));
    for (int k : { 1, 20, 100 }) {
        const ChangesFigures f = programChanges(sim, device, store, k);
        const QString label = QString("changes %1").arg(k);
        print(qPrintable(label), f.changes);
        std::printf("%-12s full Program of 999 estimated %8.3f s (floor %.3f s x ratio %.4f)"
                    "   speed-up %.1f\n", "", f.fullFloor * programRatio, f.fullFloor,
                    programRatio, f.fullFloor * programRatio / f.changes.measured);
        std::fflush(stdout);
    }
    const bool sameFile = contentsOf(cliFile) == contentsOf(windowFile)
                       && !contentsOf(cliFile).isEmpty();

    sim.stop();
    server.join();
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
