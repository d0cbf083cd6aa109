#include "terminalprogress.h"
#include "signalwatch.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>

#include <unistd.h>

namespace {

const int BarWidth = 30;

QString minutesAndSeconds(double seconds)
{
    const int whole = int(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TerminalProgress::TerminalProgress(int total, Total meaning)
    : m_total(total), m_meaning(meaning), m_onTerminal(::isatty(STDERR_FILENO) == 1)
{
    m_clock.start();
}

void TerminalProgress::started(int)
{
    m_clock.restart();
    draw();
}

void TerminalProgress::setValue(int value)
{
    m_value = value;
}

bool TerminalProgress::cancelled()
{
    return SignalWatch::received() != 0;
}

void TerminalProgress::exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *)
{
    ++m_exchanges;
    if (result == ExchangeResult::Accepted && plu >= 0) {
        ++m_handled;
        m_lastPlu = plu;
    } else if (result == ExchangeResult::Refused && m_meaning == CountOfPlus) {
        ++m_refused;
    }
    draw();
}

// A read does not know how many PLUs the scale holds, but they come in
// ascending numbers, so the last number tells how far through the table
// the read has gone.
double TerminalProgress::fractionDone() const
{
    if (m_total <= 0 || m_completed)
        return 1.0;
    const double done = m_meaning == CountOfPlus ? m_handled : m_lastPlu + 1;
    return done >= m_total ? 1.0 : done / m_total;
}

void TerminalProgress::draw()
{
    if (!m_onTerminal)
        return;
    const double fraction = fractionDone();
    const int filled = int(fraction * BarWidth);
    const QString bar = QString(filled, QLatin1Char('#')) + QString(BarWidth - filled, QLatin1Char('.'));
    const double left = fraction > 0 ? seconds() * (1 - fraction) / fraction : 0;
    const QString plu = m_lastPlu < 0 ? QStringLiteral("-") : QString::number(m_lastPlu);
    const QString count = m_meaning == CountOfPlus
        ? QStringLiteral("%1/%2").arg(m_handled).arg(m_total) : QString::number(m_handled);
    const QString line = QCoreApplication::translate("TarexaCli", "[%1] %2 PLUs, PLU %3, %4 left")
                             .arg(bar, count, plu, minutesAndSeconds(left));
    std::fprintf(stderr, "\r%s\x1b[K", line.toLocal8Bit().constData());
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::finish(bool completed)
{
    m_completed = completed;
    if (completed && m_drawn)
        draw();
    if (m_drawn)
        std::fputc('\n', stderr);
    m_drawn = false;
}
