#ifndef CHANGESQUESTIONS_H
#define CHANGESQUESTIONS_H

#include "scalestore.h"

#include <QList>
#include <QString>

class QWidget;

// The questions Program Changes asks before it sends anything.

// What to do when Tarexa cannot tell what the scale holds.
enum class ChangesStart
{
    Compare,        // read the scale first, then show what differs
    ProgramAll,     // send every row in use, as Program does
    Cancel,
};

// Asked when the device has no snapshot (state None) or only part of one
// (Incomplete): Tarexa never takes the scale for empty.
ChangesStart askWithoutSnapshot(QWidget *parent, const QString &device, Snapshot::State state);

// The scale holds these PLUs and the table does not: delete them as well?
// No, the default, sends the changes and leaves them on the scale.
bool askDeleteMissing(QWidget *parent, const QList<int> &plus);

// Nothing differs, so nothing is sent and no port is opened.
void tellNothingChanged(QWidget *parent);

#endif // CHANGESQUESTIONS_H
