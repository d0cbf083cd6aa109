#include "xml.h"
#include "durablefile.h"
#include "translated.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QCoreApplication>

#include <array>
#include <vector>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char *const Declaration =
    "<?xml version=\"1.0\" encoding=\"CP1251\" standalone=\"no\" ?>";
const char *const DocumentType = "PLU_ML";
const char *const RootTag = "PLU_DataBase";
const char *const PluTag = "PLU";

// The attributes of a "PLU" element in the order they are written, and the
// PLU_STRING members they hold, in the same order.
const std::array<const char *, 7> AttributeNames = {
    "Number", "Price", "Name0", "Name1", "Name2", "Barcode", "Durability"
};

template <typename PluString>
auto fieldsOf(PluString &s)
{
    return std::array{ &s.Number, &s.Price, &s.Name[0], &s.Name[1], &s.Name[2],
                       &s.Barcode, &s.Durabil };
}

// ---- Writing ---------------------------------------------------------------

bool isXmlChar(char32_t code)
{
    return code == 0x9 || code == 0xA || code == 0xD
        || (code >= 0x20 && code <= 0xD7FF)
        || (code >= 0xE000 && code <= 0xFFFD)
        || (code >= 0x10000 && code <= 0x10FFFF);
}

QString characterReference(char32_t code)
{
    return QLatin1String("&#") + QString::number(quint32(code)) + QLatin1Char(';');
}

// Appends one character of an attribute value. Tab, CR and LF go out as
// references because a reader turns them into blanks otherwise.
void appendEscaped(QString &out, char32_t code)
{
    switch (code) {
    case '&': out += QLatin1String("&amp;"); return;
    case '<': out += QLatin1String("&lt;"); return;
    case '"': out += QLatin1String("&quot;"); return;
    case '\t': case '\n': case '\r': out += characterReference(code); return;
    default: break;
    }
    if (code < 0x80 || (code < 0x10000 && fitsCp1251(QChar(char16_t(code)))))
        out += QChar(char16_t(code));
    else
        out += characterReference(code);
}

// False when the value holds a character XML cannot carry, a lone
// surrogate among them; refused is then that character.
bool appendAttributeValue(QString &out, const QString &value, char32_t &refused)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, value.at(++i));
        if (!isXmlChar(code)) {     // a lone surrogate among them
            refused = code;
            return false;
        }
        appendEscaped(out, code);
    }
    return true;
}

bool appendPluLine(QString &out, const QDomElement &plu, UnwritableCharacter *unwritable)
{
    out += QLatin1String(" <") + plu.tagName();
    for (size_t i = 0; i < AttributeNames.size(); ++i) {
        const QLatin1String name(AttributeNames[i]);
        out += QLatin1Char(' ') + name + QLatin1String("=\"");
        char32_t refused = 0;
        if (!appendAttributeValue(out, plu.attribute(name), refused)) {
            if (unwritable)
                *unwritable = { plu.attribute(QLatin1String(AttributeNames[0])), int(i), refused };
            return false;
        }
        out += QLatin1Char('"');
    }
    out += QLatin1String("/>\n");
    return true;
}

// A folder that refuses new files outright (no permission, a read-only file
// system), as opposed to one that is missing or full, whose reason the
// system's words give well enough.
bool refusesNewFiles(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

WriteFailure notRegularFile()
{
    return { WriteFailure::NotRegularFile,
             translated(QT_TRANSLATE_NOOP("Tarexa", "not a regular file")) };
}

// Writes through a temporary file that replaces the old one only once all
// of it is on the disk, so a failed write leaves the previous file intact.
// QSaveFile would rename the temporary file even when emptying its write
// buffer failed, so the bytes go past that buffer and are checked here.
// There is no writing in place where no temporary file can be made: cut
// off by a full disk, a kill or a power cut, it would leave a file that is
// neither the old one nor the new one.
bool writeWholeFile(const QString &fileName, const QByteArray &bytes, WriteFailure &failure)
{
    if (isNoRegularFile(fileName)) {
        failure = notRegularFile();
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        failure = refusesNewFiles(newFileErrorBeside(fileName))
            ? WriteFailure{ WriteFailure::UnsafeFolder, file.errorString() }
            : WriteFailure{ WriteFailure::Failed, file.errorString() };
        return false;
    }
    if (!writeAll(file, bytes, failure.reason)) {
        failure.kind = WriteFailure::Failed;
        file.cancelWriting();
        return false;
    }
    if (!syncToDisk(file)) {
        failure = { WriteFailure::Failed, systemErrorText() };
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        failure = { WriteFailure::Failed, file.errorString() };
        return false;
    }
    return true;
}

// ---- Reading ---------------------------------------------------------------

PLU_STRING pluFromAttributes(const QXmlStreamAttributes &attributes)
{
    PLU_STRING s;
    auto fields = fieldsOf(s);
    for (size_t i = 0; i < AttributeNames.size(); ++i)
        *fields[i] = attributes.value(QLatin1String(AttributeNames[i])).toString();
    return s;
}

// A file too large for a PLU file is refused on its size, before reading;
// reading one byte past the limit also catches files that grow meanwhile
// and devices that report no size.
bool readWholeFile(const QString &fileName, QByteArray &bytes, QString &reason,
                   const QString &tooLarge)
{
    QFile file(fileName);
    if (!openRegularFile(file, reason, notRegularFile().reason))
        return false;
    if (file.size() > MaxPluFileSize) {
        reason = tooLarge;
        return false;
    }
    bytes = file.read(MaxPluFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    if (bytes.size() > MaxPluFileSize) {
        reason = tooLarge;
        return false;
    }
    return true;
}

// s with every value its column refuses emptied; refusals gets a line for
// each.
PLU_STRING acceptedValues(int row, const PLU_STRING &s, QStringList &refusals)
{
    QList<Refusal> refused;
    const PLU_STRING accepted = acceptedTexts(row, s, refused);
    for (const Refusal &refusal : std::as_const(refused)) {
        QString line = translated(QT_TRANSLATE_NOOP("Tarexa",
                                                    "PLU %1 (row %2), %3: %4 was left out. %5"))
                           .arg(QString::number(row), QString::number(row + 1),
                                columnLabel(refusal.column), shownValue(refusal.value),
                                refusal.message);
        if (refusal.column == PriceColumn)
            line += QLatin1Char(' ')
                  + translated(QT_TRANSLATE_NOOP("Tarexa", "This PLU will not be saved or"
                                                           " programmed until it has a price."));
        refusals << line;
    }
    return accepted;
}

// An element that may be a PLU some other program meant, although this
// file format has none there: another element beside the PLUs, or a PLU
// one level deeper or more. Whatever a PLU element holds is its own affair.
bool mayHideAPlu(const QXmlStreamReader &reader, int depth)
{
    return depth == 2 || (depth > 2 && reader.qualifiedName() == QLatin1String(PluTag));
}

// The first few elements passed over are named; the rest only counted, so
// a file of a hundred thousand is said in a few lines.
constexpr int MaxSkippedLines = 10;

QString passedOverLine(const QXmlStreamReader &reader)
{
    return translated(QT_TRANSLATE_NOOP("Tarexa", "Line %1 of the file: the element %2 is not a"
                                                  " PLU element directly under PLU_DataBase; it"
                                                  " was left out."))
        .arg(QString::number(reader.lineNumber()), shownValue(reader.qualifiedName().toString()));
}

QString morePassedOverLine(int more)
{
    return QCoreApplication::translate("Tarexa", "And %n more element(s) of the file that are no"
                                                 " PLU element.", nullptr, more);
}

} // namespace

QList<FilePlu> acceptedFilePlus(const QList<PLU_STRING> &elements, QStringList &refusals)
{
    QList<FilePlu> plus;
    std::vector<bool> taken(PLU_COUNT, false);
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const PLU_STRING &s = elements.at(i);
        const QString element = QString::number(i + 1);
        const std::optional<int> row = parsePluNumber(s.Number);
        if (!row) {
            refusals << translated(QT_TRANSLATE_NOOP("Tarexa",
                                                     "PLU element %1 of the file, Number %2: not a"
                                                     " PLU number from 0 to 998; the element was"
                                                     " left out."))
                            .arg(element, shownValue(s.Number));
        } else if (taken[size_t(*row)]) {
            refusals << translated(QT_TRANSLATE_NOOP("Tarexa",
                                                     "PLU element %1 of the file, Number %2: an"
                                                     " earlier element has this number; the"
                                                     " element was left out."))
                            .arg(element, shownValue(s.Number));
        } else {
            taken[size_t(*row)] = true;
            plus.append({ *row, acceptedValues(*row, s, refusals) });
        }
    }
    return plus;
}

bool serialisePluDocument(const QDomDocument &document, QByteArray &bytes,
                          UnwritableCharacter *unwritable)
{
    const QDomElement root = document.documentElement();
    QString text = QLatin1String(Declaration) + QLatin1String("<!DOCTYPE ")
                 + document.doctype().name() + QLatin1String(">\n");
    if (!root.hasChildNodes()) {
        text += QLatin1Char('<') + root.tagName() + QLatin1String("/>\n");
    } else {
        text += QLatin1Char('<') + root.tagName() + QLatin1String(">\n");
        for (QDomElement plu = root.firstChildElement(); !plu.isNull();
             plu = plu.nextSiblingElement()) {
            if (!appendPluLine(text, plu, unwritable))
                return false;
        }
        text += QLatin1String("</") + root.tagName() + QLatin1String(">\n");
    }
    bytes = toCp1251(text);
    return true;
}

// The file is read with a streaming reader rather than into a DOM: only the
// root's direct children matter, and the DOM's cost grows with the square
// of the nesting depth, which a hostile file can make very deep. A document
// type that declares entities is refused outright; PLU files never have
// one, and entities are the way to make a small file expand enormously.
bool parsePluDocument(const QByteArray &bytes, QList<PLU_STRING> &rows, QString *reason,
                      QStringList *skipped)
{
    auto refuse = [&](const QXmlStreamReader &at, const QString &why) {
        if (reason)
            *reason = QCoreApplication::translate("Tarexa", "line %1, column %2: %3")
                          .arg(at.lineNumber()).arg(at.columnNumber()).arg(why);
        return false;
    };
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    QList<PLU_STRING> found;
    QStringList passedOverLines;
    int passedOver = 0;
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (!reader.entityDeclarations().isEmpty())
                return refuse(reader, QCoreApplication::translate(
                                          "Tarexa", "the document type declares entities"));
            break;
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 1 && reader.qualifiedName() != QLatin1String(RootTag))
                return refuse(reader, QCoreApplication::translate(
                                          "Tarexa", "the root element is not PLU_DataBase"));
            if (depth == 2 && reader.qualifiedName() == QLatin1String(PluTag))
                found.append(pluFromAttributes(reader.attributes()));
            else if (mayHideAPlu(reader, depth) && ++passedOver <= MaxSkippedLines)
                passedOverLines << passedOverLine(reader);
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return refuse(reader, reader.errorString());
    rows = found;
    if (passedOver > MaxSkippedLines)
        passedOverLines << morePassedOverLine(passedOver - MaxSkippedLines);
    if (skipped)
        *skipped = passedOverLines;
    return true;
}


QDomElement pluElement(QDomDocument &document, const PLU_STRING &s)
{
    QDomElement element = document.createElement(QLatin1String(PluTag));
    const auto fields = fieldsOf(s);
    for (size_t i = 0; i < AttributeNames.size(); ++i)
        element.setAttribute(QLatin1String(AttributeNames[i]), *fields[i]);
    return element;
}

bool serialisePluTable(const PluTable &table, QByteArray &bytes,
                       UnwritableCharacter *unwritable)
{
    QDomDocument document(QLatin1String{DocumentType});
    QDomElement root = document.createElement(QLatin1String(RootTag));
    document.appendChild(root);
    for (int row : table.rowsInUse())
        root.appendChild(pluElement(document, table.row(row)));
    return serialisePluDocument(document, bytes, unwritable);
}

QString writeFailureMessage(const QString &fileName, const WriteFailure &failure)
{
    switch (failure.kind) {
    case WriteFailure::NotRegularFile:
        return QCoreApplication::translate("Tarexa", "Could not write to %1: not a regular file."
                                                     " Tarexa writes only over a regular file;"
                                                     " choose another name.")
            .arg(fileName);
    case WriteFailure::UnsafeFolder:
        return QCoreApplication::translate("Tarexa", "The folder of %1 does not let Tarexa save"
                                                     " safely. Save the file in another folder.")
            .arg(fileName);
    case WriteFailure::Failed:
        break;
    }
    return QCoreApplication::translate("Tarexa", "Could not write to %1: %2. Choose another folder"
                                                 " or free some space, and try again.")
        .arg(fileName, failure.reason);
}

bool writePluFile(const QString &fileName, const QByteArray &bytes, WriteFailure *failure)
{
    WriteFailure why;
    if (!writeWholeFile(fileName, bytes, why)) {
        if (failure)
            *failure = why;
        return false;
    }
    syncFolderOf(fileName);
    return true;
}

bool mayWritePluFile(const QString &fileName, WriteFailure *failure)
{
    WriteFailure why;
    if (isNoRegularFile(fileName)) {
        why = notRegularFile();
    } else if (const int error = newFileErrorBeside(fileName)) {
        why = { refusesNewFiles(error) ? WriteFailure::UnsafeFolder : WriteFailure::Failed,
                QString::fromLocal8Bit(std::strerror(error)) };
    } else {
        return true;
    }
    if (failure)
        *failure = why;
    return false;
}

bool readSmallFile(const QString &fileName, QByteArray &bytes, QString *reason)
{
    QString why;
    if (readWholeFile(fileName, bytes, why,
                      QCoreApplication::translate("Tarexa", "larger than %1 MiB, far larger than "
                                                            "a table of PLUs")
                          .arg(MaxPluFileSize >> 20)))
        return true;
    if (reason)
        *reason = why;
    return false;
}

bool readPluFile(const QString &fileName, QList<PLU_STRING> &rows, QString *reason,
                 QStringList *skipped)
{
    QByteArray bytes;
    QString why;
    if (readWholeFile(fileName, bytes, why,
                      QCoreApplication::translate("Tarexa", "too large for a PLU file"))
        && parsePluDocument(bytes, rows, &why, skipped))
        return true;
    if (reason)
        *reason = why;
    return false;
}
