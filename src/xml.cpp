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

#ifdef Q_OS_UNIX
#include <fcntl.h>
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
// surrogate among them.
bool appendAttributeValue(QString &out, const QString &value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, value.at(++i));
        else if (c.isSurrogate())
            return false;
        if (!isXmlChar(code))
            return false;
        appendEscaped(out, code);
    }
    return true;
}

bool appendPluLine(QString &out, const QDomElement &plu)
{
    out += QLatin1String(" <") + plu.tagName();
    for (const char *name : AttributeNames) {
        out += QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"");
        if (!appendAttributeValue(out, plu.attribute(QLatin1String(name))))
            return false;
        out += QLatin1Char('"');
    }
    out += QLatin1String("/>\n");
    return true;
}

// Writes through a temporary file that replaces the old one only once all
// of it is on the disk, so a failed save leaves the previous file intact.
bool writeWholeFile(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
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

// A file too large for a PLU file is refused on its size, before reading;
// reading one byte past the limit also catches files that grow meanwhile
// and devices that report no size.
bool readWholeFile(const QString &fileName, QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxPluFileSize)
        return false;
    bytes = file.read(MaxPluFileSize + 1);
    return file.error() == QFileDevice::NoError && bytes.size() <= MaxPluFileSize;
}

// An element whose number is absent or not a 16-bit decimal fills row 0.
int rowOf(const Tarexa::PLU_STRING &s)
{
    return s.Number.toShort();
}

} // namespace

bool serialisePluDocument(const QDomDocument &document, QByteArray &bytes)
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
            if (!appendPluLine(text, plu))
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

bool Tarexa::saveDocument(const QString &fileName)
{
    QDomDocument document(QLatin1String{DocumentType});
    QDomElement root = document.createElement(QLatin1String(RootTag));
    document.appendChild(root);
    for (int row = 0; row < PLU_COUNT; ++row) {
        if (isPluRow(table, row))
            root.appendChild(PluToNode(document, rowText(table, row)));
    }
    QByteArray bytes;
    if (!serialisePluDocument(document, bytes) || !writeWholeFile(fileName, bytes))
        return false;
    syncFolderOf(fileName);
    return true;
}

// The whole file is read and checked before the table is touched: a file
// that fails leaves the document as it was.
bool Tarexa::loadDocument(const QString &fileName)
{
    QByteArray bytes;
    QList<PLU_STRING> rows;
    if (!readWholeFile(fileName, bytes) || !parsePluDocument(bytes, rows))
        return false;
    clearDocument();
    for (const PLU_STRING &s : rows) {
        const int row = rowOf(s);
        if (row >= 0 && row < PLU_COUNT)
            putPluInRow(short(row), s);
    }
    return true;
}

QDomElement Tarexa::PluToNode(QDomDocument &d, const PLU_STRING &s)
{
    QDomElement element = d.createElement(QLatin1String(PluTag));
    const auto fields = fieldsOf(s);
    for (size_t i = 0; i < AttributeNames.size(); ++i)
        element.setAttribute(QLatin1String(AttributeNames[i]), *fields[i]);
    return element;
}
