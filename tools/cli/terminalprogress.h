#ifndef TERMINALPROGRESS_H
#define TERMINALPROGRESS_H

#include "scale.h"

#include <QElapsedTimer>
#include <QStringList>

// The scale commands' progress on standard error, one line redrawn in
// place and never wider than the terminal (see draw()), when standard error
// is a terminal; nothing otherwise. A signal SignalWatch keeps asks the
// command to stop.
class TerminalProgress : public ScaleProgress
{
public:
    enum Total { CountOfPlus, HighestPluNumber };
    // total: the number of PLUs the command will handle, or, for a read,
    // whose length nobody knows, the highest PLU number it may reach.
    TerminalProgress(int total, Total meaning);

    void started(int maximum) override;
    void setValue(int value) override;
    bool cancelled() override;
    void exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data) override;

    // Ends the bar's line, so that what follows starts on its own; a
    // command that completed shows a full bar last.
    void finish(bool completed);
    int exchanges() const { return m_exchanges; }
    int handled() const { return m_handled; }
    int refused() const { return m_refused; }
    double seconds() const { return m_clock.elapsed() / 1000.0; }

private:
    void draw();
    double fractionDone() const;
    QString timeLeft() const;

    int m_total;
    Total m_meaning;
    int m_exchanges = 0;
    int m_handled = 0;
    int m_refused = 0;
    int m_lastPlu = -1;
    qint64 m_firstPluAtMs = -1;     // when the first PLU was done, on m_clock
    int m_value = 0;
    bool m_drawn = false;
    bool m_completed = false;
    bool m_onTerminal;
    QElapsedTimer m_clock;
};

// The columns of the terminal that standard error is, or 80 when it does
// not say.
int terminalColumns();
// How many columns text takes on a terminal.
int displayColumns(const QString &text);
// text cut to at most columns columns.
QString cutToColumns(const QString &text, int columns);
// The first of the lines that fits into columns columns; the last one cut
// to fit when none does.
QString firstThatFits(const QStringList &lines, int columns);
// Draws line on standard error over the progress line drawn before, cut to
// the terminal's width.
void redrawProgressLine(const QString &line);

#endif // TERMINALPROGRESS_H
