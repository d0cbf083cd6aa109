#ifndef JOURNALTEXT_H
#define JOURNALTEXT_H

#include "changes.h"
#include "scalelist.h"
#include "scalestore.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The journal and a comparison as lines of plain text, for the command line
// and for anything else that shows them without a table.

// A journal time in the user's local time, to the second; "-" when unknown.
QString journalTimeText(const QDateTime &time);

// One line per transfer, in the order given: id, start time, device,
// command, counts and result, then the message when there is one.
QStringList historyLines(const QList<TransferRecord> &transfers);

// One line per exchange of a transfer: PLU, how it ended, when.
QStringList transferPluLines(const QList<ExchangeRecord> &exchanges);

// One line per difference in ascending PLU order: a PLU only in the table,
// only on the scale, or one line for each field the two hold differently.
// Empty when the table and the scale hold the same PLUs.
QStringList comparisonLines(const Comparison &comparison);

// The shop's name for the scale a journal entry's device leads to (the
// record is kept by port, so any name of the same port counts), or the
// device itself when no scale of the list is on it.
QString scaleNameOf(const QString &journalDevice, const QList<ScaleEntry> &scales,
                    ScaleStore &store);

// What to say at start when the latest entry of the journal is a command
// that was stopped, or that never ended: how far it got, and what to do.
// Empty when it ended in any other way.
QString unfinishedTransferText(const TransferRecord &latest, const QString &scaleName);

#endif // JOURNALTEXT_H
