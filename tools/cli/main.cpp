// tarexa-cli: the scale commands and the file check of Tarexa without a
// window, for scheduled uploads from a shop's back office.

#include "appidentity.h"
#include "cli.h"
#include "commands.h"
#include "translators.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    using namespace cli;
    QCoreApplication app(argc, argv);
    // The window's settings store, for the device it was configured with.
    setApplicationIdentity();
    installTranslators(app);

    QCommandLineParser parser;
    describeCommands(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return Done;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("tarexa-cli %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return Done;
    }
    const int status = runCommand(parser);
    if (status != UsageError && keepsAJournal(parser.positionalArguments().value(0)))
        tidyJournal();
    return status;
}
