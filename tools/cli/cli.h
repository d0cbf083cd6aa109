#ifndef TAREXA_CLI_H
#define TAREXA_CLI_H

// What the commands of tarexa-cli share (cli.cpp), and the commands: those
// that send, read, delete and check every PLU (plucommands.cpp), convert
// (convert.cpp), those about what the scale holds, program --changed, diff
// and history (changes.cpp), and those about the shop's named scales,
// scales and program --changed --all-scales (scales.cpp). Which command a
// command line means is told in commands.cpp.

#include "exitstatus.h"
#include "scale.h"
#include "scalelist.h"
#include "scalestore.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class PluTable;
class ScalePort;
class TerminalProgress;

namespace cli {

// The scale a command talks to: its device, what messages call it, and the
// option that chose it, for the commands the user is told to run.
struct ScaleChoice
{
    QString device;
    QString label;          // the scale's name, or the device given
    QStringList option;     // { "--scale", NAME }, { "--device", DEVICE } or none

    // The option as words for the shell, with a blank before it; empty when
    // the current scale was meant.
    QString shellOption() const;
};

// The texts of the tool, as translators see them.
struct TarexaCli
{
    Q_DECLARE_TR_FUNCTIONS(TarexaCli)
};

void printError(const QString &text);
// A line of the command's result, on standard output.
void printOut(const QString &text);
// A line of what the command has to say, on standard error.
void printLine(const QString &text);
// A word the shell gives back unchanged, quoted where it needs to be.
QString shellWord(const QString &text);
// Says text and where to find help; gives back UsageError.
int usageError(const QString &text);
// The usage error for a command line that is no command.
int wrongArguments(const QStringList &args);
int exitStatusOf(ScaleOutcome::Kind kind);
// Says what went wrong and gives back the exit status.
int statusOf(const ScaleOutcome &outcome, const QString &deviceName);
// Says that the record of what the scales hold cannot be used.
int storeError(const ScaleStore &store);
// Passes on the store's news, such as a damaged file set aside, if any.
void printStoreNotice(const ScaleStore &store);
bool loadTable(const QString &fileName, PluTable &table, QStringList &refusals);
// Says that the file has no PLU with a price; gives back FileError. A
// command that compares or sends such a file would only ever delete.
int emptyFile();
int writeOut(const QString &fileName, const PluTable &table);
// loadTable for a command that sends or converts the PLUs: each refusal is
// said on standard error.
bool loadTableSayingRefusals(const QString &fileName, PluTable &table);
// "what in N s." on standard error, N the seconds progress took.
void printSummary(const QString &what, const TerminalProgress &progress);
void printProgramSummary(const ScaleOutcome &outcome, const TerminalProgress &progress);
void printDeleteSummary(const ScaleOutcome &outcome, const TerminalProgress &progress);
// Programs every row in use of table, or deletes the count PLUs isMarked
// names, with the bar, the summary and the journal entry of command.
int sendTable(ScaleCommand command, const QString &deviceName, const QString &fileName,
              const PluTable &table);
int deleteMarked(ScaleCommand command, const QString &deviceName, const QString &fileName,
                 int count, const std::function<bool(int)> &isMarked);
// deleteMarked on a port already open (see ScalePort).
int deleteMarkedOn(ScalePort &scale, ScaleCommand command, const QString &deviceName,
                   const QString &fileName, int count, const std::function<bool(int)> &isMarked);

// One scale command's entry in the journal, with a store of its own. When
// the store cannot be used the command runs as without it, silently.
class Journal
{
public:
    Journal(ScaleCommand command, const QString &device, const QString &fileName,
            ScaleProgress &inner);
    // With a store the command opened already.
    Journal(std::unique_ptr<ScaleStore> store, ScaleCommand command, const QString &device,
            const QString &fileName, ScaleProgress &inner);
    ScaleProgress &progress() { return m_recording; }
    ScaleStore &store() { return *m_store; }
    // Closes the entry with the message printed and lets go of the
    // database, says once what the store has to say, and gives back status;
    // a command that went well but could not be recorded gives back
    // Unrecorded.
    int finish(const ScaleOutcome &outcome, int status);
    bool lostFacts() const { return m_recording.lostFacts(); }

private:
    std::unique_ptr<ScaleStore> m_store;
    RecordingProgress m_recording;
};

// program FILE: every PLU of the file that has a price.
int program(const QString &deviceName, const QString &fileName);
// read [-o FILE]: every PLU of the scale into the file, or standard output
// when fileName is empty.
int read(const QString &deviceName, const QString &fileName);
// delete N [N...]: the PLUs the arguments name, each a number or a range.
int remove(const QString &deviceName, const QStringList &arguments);
// check FILE: the refused values and what the scale would handle badly.
int check(const QString &fileName);

// convert IN OUT: IN read by its contents (a PLU file, a workbook or CSV
// text), OUT written as its suffix says (.xml, .csv or .xlsx).
int convert(const QString &input, const QString &output);
// Prints the findings of the check before programming on standard output;
// returns how many there were.
int printPresendFindings(const PluTable &table);

// program --changed FILE; with dryRun only what would be sent and deleted.
int programChanged(const ScaleChoice &scale, const QString &fileName, bool deleteMissing,
                   bool dryRun);
// program --dry-run FILE: what program would send.
int programDryRun(const ScaleChoice &scale, const QString &fileName);
int diff(const ScaleChoice &scale, const QString &fileName);
int history(const QString &limit);
// history --prune DAYS: every entry older than DAYS goes now.
int pruneHistory(const QString &days);
// The standing retention: old entries go, a little at a time, once a day.
void tidyJournal();

// The scales as the window keeps them in its settings store.
ScaleList configuredScales();
// "No scale is named ..." with the names there are.
QString noScaleNamed(const ScaleList &scales, const QString &name);
// scales: the scales, the current one marked, and when each last took a
// command to the end.
int listScales();
// scales add NAME DEVICE
int addScale(const QString &name, const QString &device);
// scales remove NAME
int removeScale(const QString &name);
// program --changed --all-scales FILE: Done only when every scale got all
// its changes; else Interrupted after Ctrl+C, or what the first scale that
// failed ended with (NoSnapshot for one left out or found out of date,
// Unrecorded for one whose changes could not be recorded).
int programChangedToAllScales(const QString &fileName);

} // namespace cli

#endif // TAREXA_CLI_H
