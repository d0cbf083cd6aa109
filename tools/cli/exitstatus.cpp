#include "exitstatus.h"

#include <QCoreApplication>

namespace cli {

namespace {

QString number(ExitStatus status)
{
    return QString::number(int(status));
}

} // namespace

// A signal's status is 128 + its number, which differs between systems;
// these are the numbers of the POSIX signals the manual page names.
const std::vector<ExitStatusMeaning> &exitStatusMeanings()
{
    static const std::vector<ExitStatusMeaning> meanings = {
        { number(Done), QT_TRANSLATE_NOOP("TarexaCli", "done") },
        { number(ProblemsFound),
          QT_TRANSLATE_NOOP("TarexaCli", "check found problems, convert refused values of a "
                                         "spreadsheet,\nor diff found differences") },
        { number(UsageError), QT_TRANSLATE_NOOP("TarexaCli", "usage error") },
        { number(FileError),
          QT_TRANSLATE_NOOP("TarexaCli", "the file cannot be read or written, or has no PLU with "
                                         "a price, or\n(program --changed --delete-missing) had "
                                         "values refused") },
        { number(PortError),
          QT_TRANSLATE_NOOP("TarexaCli", "the port cannot be opened or configured, or failed "
                                         "during a transfer") },
        { number(NoAnswer), QT_TRANSLATE_NOOP("TarexaCli", "the scale did not answer") },
        { number(ScaleRefused),
          QT_TRANSLATE_NOOP("TarexaCli", "the scale refused a PLU or replied with bad data") },
        { number(NoSnapshot),
          QT_TRANSLATE_NOOP("TarexaCli", "program --changed: what the scale holds is not known, "
                                         "or what Tarexa\nknew of it is out of date; run diff "
                                         "first") },
        { number(StoreError),
          QT_TRANSLATE_NOOP("TarexaCli", "the record of what the scale holds cannot be used") },
        { number(Unrecorded),
          QT_TRANSLATE_NOOP("TarexaCli", "the scale took the command, but Tarexa could not "
                                         "record it; run\ndiff before the next program "
                                         "--changed") },
        { QStringLiteral("129, 130, 143"),
          QT_TRANSLATE_NOOP("TarexaCli", "stopped by SIGHUP, SIGINT (Ctrl+C) or SIGTERM after "
                                         "the\nexchange in progress; a read writes nothing") },
    };
    return meanings;
}

const char *const ExitStatusNote = QT_TRANSLATE_NOOP("TarexaCli",
    "program --changed --all-scales ends with 0 only when every scale got all its\n"
    "changes; otherwise with 129, 130 or 143 when stopped, or else with the status\n"
    "of the first failed scale in the list (4, 5, 6, 7 or 9), naming the failed\n"
    "scales.");

} // namespace cli
