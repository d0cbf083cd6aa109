// The commands of tarexa-cli that send, read and delete every PLU of a
// file or the command line, and the check of a PLU file.

#include "cli.h"
#include "plutable.h"
#include "rules.h"
#include "scale.h"
#include "terminalprogress.h"
#include "xml.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace cli {

int program(const QString &deviceName, const QString &fileName)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    return sendTable(ScaleCommand::Program, deviceName, fileName, table);
}

namespace {

// The PLUs read, put into a table as the window puts them into its own:
// every value through its column's rule, a later PLU of a number replacing
// an earlier one.
PluTable tableOfReadPlus(const QList<PLU_STRING> &plus)
{
    PluTable table;
    for (const PLU_STRING &s : plus) {
        const int row = parsePluNumber(s.Number).value_or(0);
        QList<Refusal> refused;
        table.setRow(row, acceptedTexts(row, s, refused));
        for (const Refusal &refusal : std::as_const(refused))
            printLine(TarexaCli::tr("PLU %1, %2: \"%3\" was left out. %4")
                          .arg(QString::number(row), columnLabel(refusal.column), refusal.value,
                               refusal.message));
    }
    return table;
}

} // namespace

// An output file that can never be written is said before the scale is
// read, not after a read of minutes; the write checks again.
int read(const QString &deviceName, const QString &fileName)
{
    WriteFailure failure;
    if (!fileName.isEmpty() && !mayWritePluFile(fileName, &failure)) {
        printError(writeFailureMessage(fileName, failure));
        return FileError;
    }
    QList<PLU_STRING> plus;
    TerminalProgress progress(PLU_COUNT, TerminalProgress::HighestPluNumber);
    Journal journal(ScaleCommand::Read, deviceName, fileName, progress);
    const ScaleOutcome outcome = readPlus(deviceName, plus, journal.progress());
    progress.finish(outcome.succeeded());
    if (outcome.portNeverReady())
        return journal.finish(outcome, statusOf(outcome, deviceName));
    printSummary(TarexaCli::tr("%n PLU(s) read", nullptr, outcome.accepted), progress);
    if (outcome.unnumbered > 0)
        printLine(TarexaCli::tr("The scale sent %n PLU(s) without a number from 0 to 998; they "
                                "were left out.", nullptr, outcome.unnumbered));
    if (!outcome.succeeded())
        return journal.finish(outcome, statusOf(outcome, deviceName));
    // What was read is sound even when the journal missed it.
    const int status = journal.finish(outcome, Done);
    const int written = writeOut(fileName, tableOfReadPlus(plus));
    return written != Done ? written : status;
}

namespace {

// "N" or "A-B", both PLU numbers; adds them to marked.
bool markNumbers(const QString &argument, std::vector<bool> &marked)
{
    const QStringList ends = argument.split(QLatin1Char('-'));
    if (ends.size() > 2)
        return false;
    const std::optional<int> first = parsePluNumber(ends.first());
    const std::optional<int> last = parsePluNumber(ends.last());
    if (!first || !last || *first > *last)
        return false;
    for (int n = *first; n <= *last; ++n)
        marked[size_t(n)] = true;
    return true;
}

} // namespace

int remove(const QString &deviceName, const QStringList &arguments)
{
    std::vector<bool> marked(PLU_COUNT, false);
    for (const QString &argument : arguments)
        if (!markNumbers(argument, marked))
            return usageError(TarexaCli::tr("Not a PLU number (0 to 998) or range: %1").arg(argument));
    return deleteMarked(ScaleCommand::Delete, deviceName, QString(),
                        int(std::count(marked.begin(), marked.end(), true)),
                        [&](int row) { return marked[size_t(row)]; });
}

int check(const QString &fileName)
{
    PluTable table;
    QStringList refusals;
    if (!loadTable(fileName, table, refusals))
        return FileError;
    for (const QString &line : refusals)
        std::printf("%s\n", line.toLocal8Bit().constData());
    const int problems = int(refusals.size()) + printPresendFindings(table);
    printLine(TarexaCli::tr("%n problem(s) in %1.", nullptr, problems).arg(fileName));
    return problems == 0 ? Done : ProblemsFound;
}

} // namespace cli
