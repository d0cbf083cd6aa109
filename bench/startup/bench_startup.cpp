// Start-up cost: time from starting the process to its first shown window,
// and the process's peak memory by then, for Tarexa and for a minimal Qt
// program, measured alternately in the same run; medians of several runs.
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample
{
    double ms = 0;
    long peakKiB = 0;
};

bool runOnce(const QString &program, const QString &configHome, Sample &sample)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LD_PRELOAD", SHOWN_PROBE);
    env.insert("XDG_CONFIG_HOME", configHome);
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForFinished(30000))
        return false;
    sample.ms = timer.nsecsElapsed() / 1e6;
    const QByteArray err = process.readAllStandardError();
    const int at = err.indexOf("peak-kib ");
    if (at < 0)
        return false;
    sample.peakKiB = err.mid(at + 9).split('\n').first().toLong();
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = 9;
    QTemporaryDir configHome;
    std::vector<double> tarexaMs, minimalMs, tarexaKiB, minimalKiB;
    for (int i = 0; i < runs; ++i) {
        Sample t, m;
        if (!runOnce(TAREXA_PROGRAM, configHome.path(), t)
            || !runOnce(MINIMAL_PROGRAM, configHome.path(), m)) {
            std::fprintf(stderr, "a start-up run failed\n");
            return 1;
        }
        tarexaMs.push_back(t.ms);
        minimalMs.push_back(m.ms);
        tarexaKiB.push_back(t.peakKiB);
        minimalKiB.push_back(m.peakKiB);
    }
    const double tMs = median(tarexaMs), mMs = median(minimalMs);
    const double tKiB = median(tarexaKiB), mKiB = median(minimalKiB);
    std::printf("start-up to first shown window (median of %d, offscreen):\n", runs);
    std::printf("  Tarexa   %7.1f ms   peak memory %7.0f KiB\n", tMs, tKiB);
    std::printf("  minimal  %7.1f ms   peak memory %7.0f KiB\n", mMs, mKiB);
    std::printf("  ratio    %7.2f (target < 1.30)   %5.2f (target < 1.20)\n",
                tMs / mMs, tKiB / mKiB);
    return 0;
}
