// tarexa-scale-sim: a weigh scale on a pseudo-terminal, for trying Tarexa
// and its error paths without a scale.

#include "scalesim.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace {

struct IntOption
{
    const char *name;
    const char *description;
    int ScaleSimOptions::*field;
};

const IntOption IntOptions[] = {
    { "silent-from", "Answer nothing from the N-th command on.", &ScaleSimOptions::silentFrom },
    { "refuse", "Refuse the N-th command (status 1).", &ScaleSimOptions::refuseAt },
    { "vanish-at", "Close the line at the N-th command.", &ScaleSimOptions::vanishAt },
    { "syn", "Send N SYN bytes before every reply.", &ScaleSimOptions::synBeforeReply },
    { "gap", "Pause N ms between the bytes of a reply.", &ScaleSimOptions::gapMs },
    { "gap-after", "Pause only once, after N bytes of a reply.", &ScaleSimOptions::gapAfter },
    { "garbage", "Send N junk bytes before every reply.", &ScaleSimOptions::garbageBeforeReply },
    { "overlong", "Add N characters to the data of every reply.", &ScaleSimOptions::overlongBy },
    { "reply-fields", "Send only the first N fields of a PLU.", &ScaleSimOptions::replyFields },
    { "repeat-after", "Send every reply again N ms after it.", &ScaleSimOptions::repeatAfterMs },
};

// --replace-field N:TEXT
bool readReplacement(const QString &value, ScaleSimOptions &options)
{
    const int colon = value.indexOf(QLatin1Char(':'));
    bool ok = false;
    options.replacedField = value.left(colon).toInt(&ok);
    if (colon < 0 || !ok || options.replacedField < 1 || options.replacedField > 8) {
        std::fprintf(stderr, "--replace-field needs N:TEXT with N from 1 to 8\n");
        return false;
    }
    options.replacementText = value.mid(colon + 1).toStdString();
    return true;
}

bool readOptions(const QCommandLineParser &parser, ScaleSimOptions &options)
{
    for (const IntOption &o : IntOptions) {
        if (!parser.isSet(o.name))
            continue;
        bool ok = false;
        options.*o.field = parser.value(o.name).toInt(&ok);
        if (!ok || options.*o.field < 0) {
            std::fprintf(stderr, "--%s needs a number of 0 or more\n", o.name);
            return false;
        }
    }
    options.alwaysFound = parser.isSet("always-found");
    options.lastFieldOpen = parser.isSet("open-last-field");
    if (parser.isSet("replace-field") && !readReplacement(parser.value("replace-field"), options))
        return false;
    if (parser.isSet("pace") || parser.isSet("baud")) {
        bool ok = true;
        options.baud = parser.isSet("baud") ? parser.value("baud").toInt(&ok) : 9600;
        if (!ok || options.baud <= 0) {
            std::fprintf(stderr, "--baud needs a positive number\n");
            return false;
        }
    }
    options.frameLogPath = parser.value("log").toStdString();
    options.storePath = parser.value("store").toStdString();
    return true;
}

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        "Plays a weigh scale on a pseudo-terminal and prints the path of the device "
        "Tarexa should use (with --tcp, its network address on a second line). "
        "Stops on SIGINT or SIGTERM.");
    parser.addHelpOption();
    parser.addOption({ "link", "Also make the device reachable at PATH (a symbolic link).", "PATH" });
    parser.addOption({ "store", "Load the PLUs from FILE and save them there on every change.", "FILE" });
    parser.addOption({ "log", "Write every received frame as hex to FILE.", "FILE" });
    for (const IntOption &o : IntOptions)
        parser.addOption({ o.name, o.description, "N" });
    parser.addOption({ "always-found", "Answer every read request with status 0." });
    parser.addOption({ "open-last-field", "Send no TAB after the last field of a PLU." });
    parser.addOption({ "replace-field", "Send field N of every PLU as TEXT.", "N:TEXT" });
    parser.addOption({ "pace", "Pace the line at 9600 baud." });
    parser.addOption({ "baud", "Pace the line at RATE baud.", "RATE" });
    parser.addOption({ "tcp", "Also serve raw TCP on 127.0.0.1:PORT (0: a free port).", "PORT" });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tarexa-scale-sim");
    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);

    ScaleSimOptions options;
    if (!readOptions(parser, options))
        return 2;

    // Signals are taken by sigwait() below, not by the serving thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ScaleSim sim(options);
    if (!sim.open(parser.value("link").toStdString())) {
        std::fprintf(stderr, "tarexa-scale-sim: %s\n", sim.errorText().c_str());
        return 1;
    }
    if (parser.isSet("tcp")) {
        bool ok = false;
        const int port = parser.value("tcp").toInt(&ok);
        if (!ok || port < 0 || port > 65535) {
            std::fprintf(stderr, "--tcp needs a port from 0 to 65535\n");
            return 2;
        }
        if (!sim.listenTcp(port)) {
            std::fprintf(stderr, "tarexa-scale-sim: %s\n", sim.errorText().c_str());
            return 1;
        }
    }
    std::printf("%s\n", sim.devicePath().c_str());
    if (sim.tcpPort() != 0)
        std::printf("tcp://127.0.0.1:%d\n", sim.tcpPort());
    std::fflush(stdout);

    std::thread server([&sim] {
        sim.serve();
        // The scale may also end by itself (--vanish-at): wake the main thread.
        kill(getpid(), SIGTERM);
    });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    server.join();
    return 0;
}
