#ifndef TAREXA_CLI_EXITSTATUS_H
#define TAREXA_CLI_EXITSTATUS_H

// The exit statuses of tarexa-cli and what each means, for --help; the
// manual page lists them too.

#include <QString>

#include <vector>

namespace cli {

enum ExitStatus
{
    Done = 0,
    ProblemsFound = 1,
    UsageError = 2,
    FileError = 3,
    PortError = 4,
    NoAnswer = 5,
    ScaleRefused = 6,
    NoSnapshot = 7,
    StoreError = 8,
    Unrecorded = 9,
    Interrupted = 130,
};

// One entry of the exit status list of --help: the statuses, and the
// untranslated text that says when the command ends with them.
struct ExitStatusMeaning
{
    QString statuses;
    const char *meaning;
};

// Every exit status, in the order --help lists them.
const std::vector<ExitStatusMeaning> &exitStatusMeanings();
// What --help says after the list, untranslated.
extern const char *const ExitStatusNote;

} // namespace cli

#endif // TAREXA_CLI_EXITSTATUS_H
