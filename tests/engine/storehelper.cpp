// A second Tarexa process on a store, for the tests that need one:
//   storehelper interrupted DB N    begins a Program, records N accepted PLUs
//                                   (10, 11, ...), marks the next one in
//                                   flight as a frame about to go out, prints
//                                   "ready" and waits on its standard input
//                                   to be killed
//   storehelper write DB DEVICE N   records N PLUs of DEVICE, one commit each
#include "scalestore.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

class SilentProgress : public ScaleProgress
{
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

PLU_STRING pluNumbered(int number)
{
    PLU_STRING p;
    p.Number = QString::number(number);
    p.Price = QStringLiteral("%1.25").arg(number);
    p.Name[0] = QStringLiteral("PLU %1").arg(number);
    return p;
}

int recordThenWait(const QString &db, int count)
{
    ScaleStore store(db);
    SilentProgress silent;
    RecordingProgress recording(&store, ScaleCommand::Program, QStringLiteral("/dev/ttyS0"),
                                QStringLiteral("shop.xml"), silent);
    for (int i = 0; i < count; ++i) {
        const PLU_STRING p = pluNumbered(10 + i);
        recording.aboutToSend(10 + i);
        recording.exchangeEnded(10 + i, ExchangeResult::Accepted, &p);
    }
    recording.aboutToSend(10 + count);
    if (recording.lostFacts()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.error()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::getchar();
    return 0;
}

int writePlus(const QString &db, const QString &device, int count)
{
    ScaleStore store(db);
    for (int i = 0; i < count; ++i) {
        if (!store.recordPlu(device, pluNumbered(i))) {
            std::fprintf(stderr, "%s\n", qPrintable(store.error()));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("interrupted"))
        return recordThenWait(args[2], args[3].toInt());
    if (args.size() == 5 && args[1] == QLatin1String("write"))
        return writePlus(args[2], args[3], args[4].toInt());
    std::fprintf(stderr, "usage: storehelper interrupted DB N | write DB DEVICE N\n");
    return 2;
}
