// lupdate finds a text only where it is written as a literal in tr() or
// translate(), or inside QT_TRANSLATE_NOOP / QT_TR_NOOP. A text handed to a
// translation function as a variable is translated only if it was marked
// where it was written; a text never marked stays in English in the Russian
// window, and translations_complete cannot see it. This test reads every
// source lupdate reads and fails on each call to tr(), translate() or
// translated() whose text is not such a literal, unless the call is on the
// list below of calls whose texts are marked elsewhere.
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace {

// A call whose text is a variable, known to carry only marked texts: the
// file (its path's tail), the call as written (blanks compressed), and the
// context of the QT_TRANSLATE_NOOP markers that feed it, in markedIn.
struct MarkedElsewhere
{
    const char *file;
    const char *call;
    const char *context;
    const char *markedIn;
};

const MarkedElsewhere KnownCalls[] = {
    // The wrapper itself: its callers pass QT_TRANSLATE_NOOP("Tarexa", ...).
    { "src/protocol/translated.cpp", "translate(\"Tarexa\", text)", "Tarexa",
      "src/engine/xml.cpp" },
    // The application's name, English in the store's paths.
    { "src/engine/appidentity.cpp", "translate(\"Tarexa\", ApplicationName)", "Tarexa",
      "src/engine/appidentity.h" },
    // The progress labels, marked where each command names its label.
    { "src/window/scalecommandrunning.cpp", "tr(m_label)", "Tarexa",
      "src/window/scalecommands.cpp" },
    // The journal's stored names, marked in the table of their words.
    { "src/engine/outcometext.cpp", "tr(word)", "OutcomeText", "src/engine/outcometext.cpp" },
    { "src/engine/journaltext.cpp", "tr(what)", "JournalText", "src/engine/journaltext.cpp" },
    // tarexa-cli's table of commands and options, marked in the table.
    { "tools/cli/commands.cpp", "tr(rule.message)", "TarexaCli", "tools/cli/commands.cpp" },
    { "tools/cli/commands.cpp", "tr(form.synopsis)", "TarexaCli", "tools/cli/commands.cpp" },
    { "tools/cli/commands.cpp", "tr(form.summary)", "TarexaCli", "tools/cli/commands.cpp" },
    { "tools/cli/commands.cpp", "tr(status.meaning)", "TarexaCli", "tools/cli/commands.cpp" },
    { "tools/cli/commands.cpp", "tr(ExitStatusNote)", "TarexaCli", "tools/cli/commands.cpp" },
    { "tools/cli/commands.cpp", "tr(form.description)", "TarexaCli", "tools/cli/commands.cpp" },
    { "tools/cli/commands.cpp", "tr(form.valueName)", "TarexaCli", "tools/cli/commands.cpp" },
};

// The source with its comments blanked out (line breaks kept, so that line
// numbers stay), string and character literals left as they are.
QString withoutComments(const QString &source)
{
    QString out = source;
    enum { Code, Line, Block, String, Char } state = Code;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const QChar next = i + 1 < out.size() ? out[i + 1] : QChar();
        switch (state) {
        case Code:
            if (c == '/' && next == '/') state = Line;
            else if (c == '/' && next == '*') state = Block;
            else if (c == '"') state = String;
            else if (c == '\'') state = Char;
            break;
        case String:
        case Char:
            if (c == '\\') ++i;
            else if (c == (state == String ? '"' : '\'')) state = Code;
            continue;
        case Line:
            if (c == '\n') { state = Code; continue; }
            break;
        case Block:
            if (c == '*' && next == '/') { out[i] = out[i + 1] = ' '; ++i; state = Code; continue; }
            break;
        }
        if (state == Line || state == Block)
            out[i] = c == '\n' ? c : QChar(' ');
    }
    return out;
}

// The arguments of the call whose '(' is at open: split at the commas
// outside parentheses and literals, each trimmed, blanks compressed.
QStringList argumentsAt(const QString &code, qsizetype open)
{
    QStringList arguments;
    QString current;
    int depth = 0;
    bool inString = false;
    for (qsizetype i = open + 1; i < code.size(); ++i) {
        const QChar c = code[i];
        if (inString) {
            current += c;
            if (c == '\\' && i + 1 < code.size())
                current += code[++i];
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '(')
            ++depth;
        else if (c == ')' && depth-- == 0)
            break;
        if (c == ',' && depth == 0) {
            arguments << current.simplified();
            current.clear();
            continue;
        }
        current += c;
    }
    arguments << current.simplified();
    return arguments;
}

bool isLiteral(const QString &argument) { return argument.startsWith(QLatin1Char('"')); }

// Each call in code whose text lupdate cannot see, as "line: call".
QStringList unmarkedCalls(const QString &code)
{
    static const QRegularExpression call(QStringLiteral("\\b(tr|translate|translated)\\s*\\("));
    const QString plain = withoutComments(code);
    QStringList found;
    for (auto it = call.globalMatch(plain); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString function = match.captured(1);
        const QStringList arguments = argumentsAt(plain, match.capturedEnd() - 1);
        const QString &first = arguments.first();
        if (first.isEmpty() || first.startsWith(QLatin1String("const ")))
            continue;   // a declaration, not a call
        bool seen = false;
        if (function == QLatin1String("translated"))
            seen = first.startsWith(QLatin1String("QT_TRANSLATE_NOOP("));
        else if (function == QLatin1String("translate"))
            seen = isLiteral(first) && arguments.size() > 1 && isLiteral(arguments[1]);
        else
            seen = isLiteral(first);
        if (!seen) {
            const int line = int(plain.left(match.capturedStart()).count(QLatin1Char('\n'))) + 1;
            found << QStringLiteral("%1: %2(%3)").arg(line).arg(function, arguments.join(", "));
        }
    }
    return found;
}

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList translatedSources()
{
    return fileText(QStringLiteral(TAREXA_TRANSLATED_SOURCES))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The call of a "line: call" entry, without its line.
QString callOf(const QString &entry) { return entry.section(QStringLiteral(": "), 1); }

} // namespace

class TranslationMarkersTest : public QObject
{
    Q_OBJECT

private slots:
    void scannerFindsUnmarkedTexts_data();
    void scannerFindsUnmarkedTexts();
    void everyTranslatedTextIsMarked();
    void knownCallsAreStillThereAndMarked();
};

void TranslationMarkersTest::scannerFindsUnmarkedTexts_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("literal") << "tr(\"Save\")" << QStringList();
    QTest::newRow("variable") << "x = tr(label);" << QStringList{ "1: tr(label)" };
    QTest::newRow("built text") << "\n\ntr(QString(\"a\") + b)"
                                << QStringList{ "3: tr(QString(\"a\") + b)" };
    QTest::newRow("context and literal") << "QCoreApplication::translate(\"Tarexa\",\n \"Open\")"
                                         << QStringList();
    QTest::newRow("context and variable") << "QCoreApplication::translate(\"Tarexa\", text)"
                                          << QStringList{ "1: translate(\"Tarexa\", text)" };
    QTest::newRow("marked for the wrapper")
        << "translated(QT_TRANSLATE_NOOP(\"Tarexa\", \"in use, (busy)\"))" << QStringList();
    QTest::newRow("a literal lupdate does not know the wrapper for")
        << "translated(\"in use\")" << QStringList{ "1: translated(\"in use\")" };
    QTest::newRow("plural") << "tr(\"%n PLU(s)\", nullptr, count)" << QStringList();
    QTest::newRow("comment") << "// tr(label)\n/* tr(other) */ tr(\"a\")" << QStringList();
    QTest::newRow("slashes in a literal") << "tr(\"http://x\"); tr(label)"
                                          << QStringList{ "1: tr(label)" };
    QTest::newRow("declaration") << "QString translated(const char *text);" << QStringList();
    QTest::newRow("other names") << "installTranslators(app); str(x); retranslate(y)"
                                 << QStringList();
}

void TranslationMarkersTest::scannerFindsUnmarkedTexts()
{
    QFETCH(QString, code);
    QFETCH(QStringList, found);
    QCOMPARE(unmarkedCalls(code), found);
}

void TranslationMarkersTest::everyTranslatedTextIsMarked()
{
    const QStringList sources = translatedSources();
    QVERIFY(sources.size() > 50);
    QStringList faults;
    for (const QString &path : sources) {
        for (const QString &entry : unmarkedCalls(fileText(path))) {
            const bool known = std::any_of(std::begin(KnownCalls), std::end(KnownCalls),
                                           [&](const MarkedElsewhere &k) {
                return path.endsWith(QLatin1String(k.file))
                    && callOf(entry) == QLatin1String(k.call);
            });
            if (!known)
                faults << path + QLatin1Char(':') + entry;
        }
    }
    QVERIFY2(faults.isEmpty(),
             qPrintable("Texts lupdate cannot see (write the text as a literal in the call, or"
                        " mark it with QT_TRANSLATE_NOOP where it is written and add the call"
                        " to KnownCalls):\n" + faults.join('\n')));
}

// A call that went away leaves the list, and the texts of those that stay
// are marked in the context they are translated in.
void TranslationMarkersTest::knownCallsAreStillThereAndMarked()
{
    const QStringList sources = translatedSources();
    for (const MarkedElsewhere &known : KnownCalls) {
        const auto source = [&](const char *tail) {
            const auto it = std::find_if(sources.begin(), sources.end(), [&](const QString &p) {
                return p.endsWith(QLatin1String(tail));
            });
            return it == sources.end() ? QString() : fileText(*it);
        };
        QStringList calls;
        for (const QString &entry : unmarkedCalls(source(known.file)))
            calls << callOf(entry);
        QVERIFY2(calls.contains(QLatin1String(known.call)),
                 qPrintable(QStringLiteral("%1 no longer calls %2").arg(known.file, known.call)));
        const QString marker = QStringLiteral("QT_TRANSLATE_NOOP(\"%1\"").arg(known.context);
        QVERIFY2(source(known.markedIn).contains(marker),
                 qPrintable(QStringLiteral("%1 holds no %2").arg(known.markedIn, marker)));
    }
}

QTEST_GUILESS_MAIN(TranslationMarkersTest)
#include "tst_translationmarkers.moc"
