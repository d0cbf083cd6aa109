#ifndef TAREXA_CLI_COMMANDS_H
#define TAREXA_CLI_COMMANDS_H

// The commands of tarexa-cli as one table: the words and arguments of each,
// the options it takes, its lines in --help and the function that carries
// it out. The usage errors and the help text are made from it.

#include <QString>

class QCommandLineParser;

namespace cli {

// Gives parser every option of the tool and the help text.
void describeCommands(QCommandLineParser &parser);
// Carries out the command the parsed command line names, or says the usage
// error; gives back the exit status.
int runCommand(const QCommandLineParser &parser);
// Whether the command keeps an entry in the journal, whose old entries then
// go now and again.
bool keepsAJournal(const QString &command);

} // namespace cli

#endif // TAREXA_CLI_COMMANDS_H
