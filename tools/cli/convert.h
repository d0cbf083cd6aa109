#ifndef TAREXA_CLI_CONVERT_H
#define TAREXA_CLI_CONVERT_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class PluTable;

// The exit statuses, as --help and the manual page list them.
enum ExitStatus
{
    Done = 0,
    ProblemsFound = 1,
    UsageError = 2,
    FileError = 3,
    PortError = 4,
    NoAnswer = 5,
    ScaleRefused = 6,
    Interrupted = 130,
};

// The texts of the tool, as translators see them.
struct TarexaCli
{
    Q_DECLARE_TR_FUNCTIONS(TarexaCli)
};

// Shared by the commands (main.cpp): messages on standard error, and the
// PLU file read and written as the window does.
void printError(const QString &text);
void printLine(const QString &text);
bool loadTable(const QString &fileName, PluTable &table, QStringList &refusals);
int writeOut(const QString &fileName, const PluTable &table);

// convert IN OUT: a PLU file to CSV (IN.xml OUT.csv) or back (IN.csv
// OUT.xml), chosen by the suffixes.
int convert(const QString &input, const QString &output);

// Prints the findings of the check before programming on standard output;
// returns how many there were.
int printPresendFindings(const PluTable &table);

#endif // TAREXA_CLI_CONVERT_H
