#ifndef OUTCOMETEXT_H
#define OUTCOMETEXT_H

#include "scale.h"

#include <QCoreApplication>
#include <QString>

// How a scale command ended, in words: made here once for the window, the
// command-line tool, the summary of all scales and the journal, which keeps
// only the outcome's kind, PLU and port failure and words them when shown,
// in the reader's language.
struct OutcomeText
{
    Q_DECLARE_TR_FUNCTIONS(OutcomeText)

public:
    // The few words a message box shows ("Communication error."); empty for
    // a command that was done or cancelled, or that found the record stale
    // (said with what was found). deviceName is the port as the user named it.
    static QString title(const ScaleOutcome &outcome, const QString &deviceName);
    // One line that says what happened and where ("Communication error: the
    // scale did not answer (PLU 5)."); empty when the command was done.
    static QString line(const ScaleOutcome &outcome, const QString &deviceName);
    // How one scale's turn ended, to follow its counts in the summary of
    // all scales ("the scale refused PLU 5").
    static QString summaryWords(const ScaleOutcome &outcome);
    // The journal keeps commands and results under fixed English names
    // (commandName, outcomeName, exchangeResultName, "interrupted"): these
    // are their words in the reader's language. A name it does not know,
    // from a later version, is shown as it stands.
    static QString journalWord(const QString &storedName);
};

#endif // OUTCOMETEXT_H
