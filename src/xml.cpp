#include "tarexa.h"
#include "xml.h"
#include "cp1251.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTableWidget>
#include <QXmlStreamReader>

#include <array>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// The data must be on the disk before the new file replaces the old one:
// a disk that fills up often says so only here, not at the write.
bool syncToDisk(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// Writes through a temporary file that replaces the old one only once all
// of it is on the disk, so a failed save leaves the previous file intact.
// QSaveFile buffers the write and would rename the temporary file even when
// emptying that buffer fails, so the buffer is emptied and checked here.
// In a folder that takes no new files the file is written in place, which
// only the file's own permission allows; a failure then cannot keep the old
// contents.
bool writeWholeFile(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size() || !file.flush() || !syncToDisk(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// QSaveFile syncs the new file's data before renaming it over the old one;
// the rename itself lives in the folder, which needs its own sync to
// survive a power cut. Best effort: the new file is already in place.
void syncFolderOf(const QString &fileName)
{
#ifdef Q_OS_UNIX
    const QString realPath = QFileInfo(fileName).canonicalFilePath();
    const QByteArray folder = QFile::encodeName(QFileInfo(realPath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(fileName);
#endif
}

Tarexa::PLU_STRING rowText(const QTableWidget *table, int row)
{
    Tarexa::PLU_STRING s;
    s.Number = QString::number(row);
    auto cells = fieldsOf(s);
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        *cells[col + 1] = pluCellText(table, row, col);
    return s;
}

// ---- Reading ---------------------------------------------------------------

Tarexa::PLU_STRING pluFromAttributes(const QXmlStreamAttributes &attributes)
{
    Tarexa::PLU_STRING s;
    auto fields = fieldsOf(s);
    for (size_t i = 0; i < AttributeNames.size(); ++i)
        *fields[i] = attributes.value(QLatin1String(AttributeNames[i])).toString();
    return s;
}

// Only a regular file is read: opening a FIFO would wait for a writer, and
// reading a device may never end. The check is on the opened descriptor,
// which cannot be swapped for something else between check and read;
// opening without blocking makes a FIFO return at once.
bool openRegularFile(QFile &file)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(file.fileName());
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    return QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly);
#endif
}

// A file too large for a PLU file is refused on its size, before reading;
// reading one byte past the limit also catches files that grow meanwhile
// and devices that report no size.
bool readWholeFile(const QString &fileName, QByteArray &bytes)
{
    QFile file(fileName);
    if (!openRegularFile(file) || file.size() > MaxPluFileSize)
        return false;
    bytes = file.read(MaxPluFileSize + 1);
    return file.error() == QFileDevice::NoError && bytes.size() <= MaxPluFileSize;
}

// How a list of refusals shows a value: in quotes, cut short when long.
QString quoted(const QString &value)
{
    const int longest = 40;
    const QString shown = value.size() > longest ? value.left(longest) + QChar(0x2026) : value;
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

} // namespace

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
bool parsePluDocument(const QByteArray &bytes, QList<Tarexa::PLU_STRING> &rows)
{
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    QList<Tarexa::PLU_STRING> found;
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (!reader.entityDeclarations().isEmpty())
                return false;
            break;
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 1 && reader.qualifiedName() != QLatin1String(RootTag))
                return false;
            if (depth == 2 && reader.qualifiedName() == QLatin1String(PluTag))
                found.append(pluFromAttributes(reader.attributes()));
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return false;
    rows = found;
    return true;
}

bool Tarexa::saveDocument(const QString &fileName, UnwritableCell &unwritable)
{
    QDomDocument document(QLatin1String{DocumentType});
    QDomElement root = document.createElement(QLatin1String(RootTag));
    document.appendChild(root);
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (isPluRow(table, row))
            root.appendChild(PluToNode(document, rowText(table, row)));
    }
    QByteArray bytes;
    UnwritableCharacter character;
    if (!serialisePluDocument(document, bytes, &character)) {
        unwritable = { parsePluNumber(character.number).value_or(-1),
                       character.attribute - 1, character.code };
        return false;
    }
    if (!writeWholeFile(fileName, bytes))
        return false;
    syncFolderOf(fileName);
    return true;
}

// The whole file is read and checked before the table is touched: a file
// that fails leaves the document as it was. An element whose number is no
// PLU number, or repeats an earlier one, is left out rather than guessed
// at, and so is each value its column refuses; refusals collects a line
// for each.
bool Tarexa::loadDocument(const QString &fileName, QStringList &refusals)
{
    QByteArray bytes;
    QList<PLU_STRING> rows;
    if (!readWholeFile(fileName, bytes) || !parsePluDocument(bytes, rows))
        return false;
    clearDocument();
    std::vector<bool> taken(PLU_COUNT, false);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PLU_STRING &s = rows.at(i);
        const QString element = QString::number(i + 1);
        const std::optional<int> row = parsePluNumber(s.Number);
        if (!row) {
            refusals << tr("PLU element %1 of the file, Number %2: not a PLU number from 0 to 998;"
                           " the element was left out.").arg(element, quoted(s.Number));
        } else if (taken[size_t(*row)]) {
            refusals << tr("PLU element %1 of the file, Number %2: an earlier element has this"
                           " number; the element was left out.").arg(element, quoted(s.Number));
        } else {
            taken[size_t(*row)] = true;
            putPluInRow(short(*row), acceptedValues(*row, s, refusals));
        }
    }
    return true;
}

// The PLU with every value its column refuses emptied, so that putting it
// into the table raises no box; refusals gets a line for each.
Tarexa::PLU_STRING Tarexa::acceptedValues(int row, const PLU_STRING &s,
                                          QStringList &refusals) const
{
    PLU_STRING accepted = s;
    auto fields = fieldsOf(accepted);
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col) {
        QString &value = *fields[size_t(col) + 1];
        const QString message = refusalMessage(col, value);
        if (message.isEmpty())
            continue;
        QString line = tr("PLU %1 (row %2), %3: %4 was left out. %5")
                           .arg(QString::number(row), QString::number(row + 1),
                                table->horizontalHeaderItem(col)->text(), quoted(value), message);
        if (col == 0)
            line += QLatin1Char(' ')
                  + tr("This PLU will not be saved or programmed until it has a price.");
        refusals << line;
        value.clear();
    }
    return accepted;
}

QDomElement Tarexa::PluToNode(QDomDocument &d, const PLU_STRING &s)
{
    QDomElement element = d.createElement(QLatin1String(PluTag));
    const auto fields = fieldsOf(s);
    for (size_t i = 0; i < AttributeNames.size(); ++i)
        element.setAttribute(QLatin1String(AttributeNames[i]), *fields[i]);
    return element;
}
