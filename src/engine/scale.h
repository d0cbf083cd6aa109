#ifndef SCALE_H
#define SCALE_H

#include "comm.h"
#include "plu.h"

#include <QList>
#include <QString>

#include <functional>
#include <string>

class PluTable;

// What one exchange of a scale command came to.
enum class ExchangeResult
{
    Accepted,   // the scale carried the command out (for a read: a PLU came)
    Refused,    // it answered with a status other than "0"
    NoReply,    // no reply was understood: a byte did not come in time, or
                // what came was no reply frame; the scale may or may not
                // have carried the command out
};

// The scale commands report through this, between exchanges. The window
// puts a progress dialog behind it, the command-line tool a bar on the
// terminal; whoever keeps a record of the scale listens to exchangeEnded.
class ScaleProgress
{
public:
    virtual ~ScaleProgress() = default;
    // Once the port is set up and the first exchange is about to start,
    // with the highest progress value the command can reach. The window
    // opens its progress dialog here, so a failed port shows none.
    virtual void started(int maximum) { (void)maximum; }
    // The progress after an exchange: while programming, the count of PLUs
    // the scale has taken; while reading, the number of the PLU that came;
    // while deleting, the row reached.
    virtual void setValue(int value) = 0;
    // Asked between PLUs (the window processes its events here); true stops
    // the command after the exchange that just ended.
    virtual bool cancelled() = 0;
    // Just before a frame that programs or deletes plu goes out: whoever
    // keeps a record of the scale marks that PLU as in flight here. It runs
    // inside the pause the line makes anyway, before programming or after
    // the exchange before.
    virtual void aboutToSend(int plu) { (void)plu; }
    // Every exchange as it ends: the PLU it was about (-1 when a read's
    // reply named no PLU), its result, and for programming and reading the
    // PLU's texts as they were sent or received.
    virtual void exchangeEnded(int plu, ExchangeResult result, const PLU_STRING *data)
    {
        (void)plu; (void)result; (void)data;
    }
};

// How a scale command ended, and where.
struct ScaleOutcome
{
    enum Kind
    {
        Done,           // every PLU handled, or the scale had no further PLU
        Cancelled,      // ScaleProgress::cancelled() said so
        PortFailed,     // see port; a frame that could not be written ends
                        // the command here too, its PLU unknown
        NoReply,        // a reply byte did not come in time
        Refused,        // the scale answered with a status other than "0"
        NotFound,       // the scale holds no PLU (a read's first request refused)
        EmptyList,      // programming found no row in use (after opening the port)
        Stale,          // the scale's first PLU contradicts what Tarexa knew of it
    } kind = Done;
    int plu = -1;           // the PLU whose exchange ended the command, or -1
    PortFailure port;
    int accepted = 0;       // PLUs programmed, read or deleted
    int unnumbered = 0;     // read replies that named no PLU (0 to 998)
    int stopSignal = 0;     // Cancelled by a signal to the process: its number
    bool pluCameLast = false;   // a read: plu is the last PLU that came, not
                                // the one the exchange that ended it was about

    bool succeeded() const { return kind == Done; }
    // The port failed before the command could send anything.
    bool portNeverReady() const
    {
        return kind == PortFailed && port.kind != PortFailure::CannotWrite;
    }
};

// The waits of the scale commands: the line's own and the commands'. The
// defaults are what a real scale needs; tests on the simulated scale
// shorten them.
struct ScaleTiming
{
    LineTiming line;
    // The scale's moment on a freshly opened line before the first PLU
    // is programmed.
    int settleBeforeProgrammingMs = 500;
    // The rest between two read requests, after the line's own pause.
    int pauseBetweenReadsMs = 100;
};

// Sends every row in use of table, in ascending order, once the port is
// set up and the scale has settled; the progress value is the count of
// PLUs the scale has taken.
ScaleOutcome programPlus(const QString &deviceName, const PluTable &table,
                         ScaleProgress &progress, const ScaleTiming &timing = ScaleTiming());
// The same on a port opened already (PortFailed when it did not open); the
// line keeps the port's timing.
ScaleOutcome programPlus(ScalePort &scale, const PluTable &table, ScaleProgress &progress,
                         const ScaleTiming &timing = ScaleTiming());

// Reads the scale's PLUs: one "first" request and up to 999 "next" ones.
// Every PLU read is appended to plus in the order it came (a later PLU of
// the same number replaces the earlier one when put into a table); texts
// arrive with control characters as blanks, not yet held to the rules.
ScaleOutcome readPlus(const QString &deviceName, QList<PLU_STRING> &plus,
                      ScaleProgress &progress, const ScaleTiming &timing = ScaleTiming());

// Deletes, in ascending order, the PLUs for which isMarked(row) is true,
// asking it when the pass reaches each row; the progress value is the row.
ScaleOutcome deletePlus(const QString &deviceName, const std::function<bool(int)> &isMarked,
                        ScaleProgress &progress, const ScaleTiming &timing = ScaleTiming());
ScaleOutcome deletePlus(ScalePort &scale, const std::function<bool(int)> &isMarked,
                        ScaleProgress &progress);

// The outcome of a command whose port did not open, saying why.
ScaleOutcome portFailed(const ScalePort &scale);

// The scale's first PLU, with one "first PLU" request: the PLU, if it holds
// any, is appended to plus. Done (a PLU came), NotFound (it holds none) or
// NoReply; the exchange is not reported to progress.
ScaleOutcome readFirstPlu(ScalePort &scale, QList<PLU_STRING> &plus);
// readFirstPlu in two halves, for a caller with work to do while the reply
// comes in.
void requestFirstPlu(ScalePort &scale);
ScaleOutcome takeFirstPlu(ScalePort &scale, QList<PLU_STRING> &plus);

// The PLU in the data of a scale reply (the text after the status and
// length digits). Returns the PLU number, or -1 when the first field is not
// a PLU number (0 to 998), and then leaves s alone. Control characters of
// the text fields become blanks.
short replyToPlu(const QString &data, PLU_STRING &s);

// A PLU's texts in the typed form they are programmed in: the price and
// durability as their column's rule reads them (0 when refused), thirteen
// zeros for a missing barcode.
PLU typedPlu(int number, const PLU_STRING &s);

#endif // SCALE_H
