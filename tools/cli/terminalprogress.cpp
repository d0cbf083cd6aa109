#include "terminalprogress.h"
#include "signalwatch.h"
#include "terminal.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <cstdio>

namespace {

const int BarWidth = 30;
const int NarrowestBar = 10;
const int FallbackColumns = 80;
// The time left is a guess from the pace so far, worth showing only once
// a few PLUs and seconds have set that pace.
const int PlusBeforeEstimate = 3;
const qint64 MsBeforeEstimate = 2000;

QString minutesAndSeconds(double seconds)
{
    const int whole = int(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// A character the locale does not know takes one column, as most
// terminals show it.
int columnsOf(char32_t code)
{
    const int columns = characterColumns(code);
    return columns < 0 ? 1 : columns;
}

// "[####......] text", the bar as wide as columns leaves room for (at most
// BarWidth); empty when that is too narrow for a bar worth the name.
QString withBar(const QString &text, double fraction, int columns)
{
    const int width = std::min(BarWidth, columns - displayColumns(text) - 3);
    if (width < NarrowestBar)
        return QString();
    const int filled = std::clamp(int(fraction * width), 0, width);
    return QLatin1Char('[') + QString(filled, QLatin1Char('#'))
         + QString(width - filled, QLatin1Char('.')) + QLatin1String("] ") + text;
}

} // namespace

TerminalProgress::TerminalProgress(int total, Total meaning)
    : m_total(total), m_meaning(meaning), m_onTerminal(standardErrorIsTerminal())
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
        if (++m_handled == 1)
            m_firstPluAtMs = m_clock.elapsed();
        m_lastPlu = plu;
    } else if (result == ExchangeResult::Refused && m_meaning == CountOfPlus) {
        ++m_refused;
    }
    draw();
}

double TerminalProgress::fractionDone() const
{
    if (m_total <= 0 || m_completed)
        return 1.0;
    return m_handled >= m_total ? 1.0 : double(m_handled) / m_total;
}

// From the pace since the first PLU was done, which leaves out the pause
// before the first frame; empty while that pace is not yet known.
QString TerminalProgress::timeLeft() const
{
    const qint64 now = m_clock.elapsed();
    if (m_meaning != CountOfPlus || m_completed || m_handled < PlusBeforeEstimate
        || m_handled >= m_total || now < MsBeforeEstimate)
        return QString();
    const double msPerPlu = double(now - m_firstPluAtMs) / (m_handled - 1);
    return QCoreApplication::translate("TarexaCli", "%1 left")
        .arg(minutesAndSeconds(msPerPlu * (m_total - m_handled) / 1000));
}

// With a known number of PLUs: a bar, the PLUs handled, the last PLU
// number and, once a few PLUs have set the pace, the time left; for a read,
// the PLUs read so far. The fullest line that fits the terminal is drawn:
// a narrower bar first, then no bar, then without the PLU number, then
// without the time left.
void TerminalProgress::draw()
{
    if (!m_onTerminal)
        return;
    const int columns = terminalColumns() - 1;
    const QString plu = QCoreApplication::translate("TarexaCli", "PLU %1")
                            .arg(m_lastPlu < 0 ? QStringLiteral("-") : QString::number(m_lastPlu));
    const QString separator = QStringLiteral(", ");
    QStringList lines;
    if (m_meaning == CountOfPlus) {
        const QString count =
            QCoreApplication::translate("TarexaCli", "%1/%2 PLUs").arg(m_handled).arg(m_total);
        const QString left = timeLeft();
        QStringList texts = { count + separator + plu, count };
        if (!left.isEmpty())
            texts = QStringList{ count + separator + plu + separator + left,
                                 count + separator + left, count };
        lines << withBar(texts.first(), fractionDone(), columns) << texts;
    } else {
        // A read does not know how many PLUs the scale holds: a bar would
        // stand nearly empty until the end.
        const QString count = QCoreApplication::translate("TarexaCli", "%n PLU(s) read", nullptr,
                                                          m_handled);
        lines << count + separator + plu << count;
    }
    redrawProgressLine(firstThatFits(lines, columns));
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

int terminalColumns()
{
    const int columns = standardErrorColumns();
    return columns > 0 ? columns : FallbackColumns;
}

int displayColumns(const QString &text)
{
    int columns = 0;
    for (const uint code : text.toUcs4())
        columns += columnsOf(code);
    return columns;
}

QString cutToColumns(const QString &text, int columns)
{
    QString cut;
    int used = 0;
    for (const uint code : text.toUcs4()) {
        used += columnsOf(code);
        if (used > columns)
            break;
        const char32_t character = code;
        cut += QString::fromUcs4(&character, 1);
    }
    return cut;
}

QString firstThatFits(const QStringList &lines, int columns)
{
    for (const QString &line : lines)
        if (!line.isEmpty() && displayColumns(line) <= columns)
            return line;
    return cutToColumns(lines.isEmpty() ? QString() : lines.last(), columns);
}

// The line is kept out of the terminal's last column: writing there makes
// some terminals wrap at once, and the next redraw would start a line lower.
void redrawProgressLine(const QString &line)
{
    const QString fitted = cutToColumns(line, terminalColumns() - 1);
    std::fprintf(stderr, "\r%s\x1b[K", fitted.toLocal8Bit().constData());
    std::fflush(stderr);
}
