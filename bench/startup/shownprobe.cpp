// Loaded into a program with LD_PRELOAD: when the program's first top-level
// window is exposed, prints the process's peak resident memory and ends the
// process at once. The benchmark times the process from start to that end,
// so the same probe measures Tarexa and the minimal program alike.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

long peakResidentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

class ShownProbe : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window->isExposed() && !window->transientParent()) {
                std::fprintf(stderr, "peak-kib %ld\n", peakResidentKiB());
                std::fflush(stderr);
                _exit(0);
            }
        }
        return false;
    }
};

void installProbe()
{
    QCoreApplication::instance()->installEventFilter(new ShownProbe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
