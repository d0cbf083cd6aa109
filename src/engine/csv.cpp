#include "csv.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const char Utf8Bom[] = "\xEF\xBB\xBF";
const QChar Quote = QLatin1Char('"');
const QChar Apostrophe = QLatin1Char('\'');

// The texts of this file, as translators see them.
struct Csv
{
    Q_DECLARE_TR_FUNCTIONS(Csv)
};

// ---- writing ----------------------------------------------------------

// Spreadsheets skip these before they look for a formula's first character.
bool isFormulaLead(QChar c)
{
    return c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
        || c == QChar(0x00A0);
}

bool startsFormula(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isFormulaLead(text.at(i)))
        ++i;
    return i < text.size() && QStringView(u"=+-@").contains(text.at(i));
}

// Apostrophes, then a formula start: a text the export guarded.
bool isGuardedFormula(QStringView text)
{
    qsizetype apostrophes = 0;
    while (apostrophes < text.size() && text.at(apostrophes) == Apostrophe)
        ++apostrophes;
    return apostrophes > 0 && startsFormula(text.mid(apostrophes));
}

// A leading apostrophe keeps a spreadsheet from running the text as a
// formula. A text that already looks guarded gets one more, so that the
// import, which takes exactly one off, gives it back unchanged.
QString guardedFromFormula(const QString &text)
{
    return startsFormula(text) || isGuardedFormula(text) ? Apostrophe + text : text;
}

QString withoutFormulaGuard(const QString &text)
{
    return isGuardedFormula(text) ? text.mid(1) : text;
}

// Quotes where the field would otherwise end early, split the record or
// lose its surrounding blanks in a reader that trims them.
QString csvField(const QString &text)
{
    const bool needsQuotes = text.contains(QLatin1Char(';')) || text.contains(Quote)
        || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\t')) || text.trimmed() != text;
    if (!needsQuotes)
        return text;
    QString doubled = text;
    doubled.replace(Quote, QLatin1String("\"\""));
    return Quote + doubled + Quote;
}

QString csvRecord(const QStringList &fields)
{
    QStringList written;
    for (const QString &field : fields)
        written.append(csvField(guardedFromFormula(field)));
    return written.join(QLatin1Char(';')) + QLatin1String("\r\n");
}

// ---- reading records --------------------------------------------------

// Splits decoded text into RFC 4180 records. CRLF, LF and CR all end a
// record. An unquoted field is kept as written, blanks and all; blanks
// around a quoted field are dropped, those inside it kept.
class RecordReader
{
public:
    RecordReader(const QString &text, QChar separator, qsizetype start, int line)
        : m_text(text), m_separator(separator), m_pos(start), m_line(line)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }

    SheetRecord next()
    {
        SheetRecord record;
        record.line = m_line;
        for (;;) {
            record.cells.append(nextField(record.unclosedQuote));
            if (atEnd())
                return record;
            if (m_text.at(m_pos) == m_separator) {
                ++m_pos;
                continue;
            }
            skipLineEnd();
            return record;
        }
    }

private:
    bool atLineEnd() const
    {
        return m_text.at(m_pos) == QLatin1Char('\r') || m_text.at(m_pos) == QLatin1Char('\n');
    }

    bool atFieldEnd() const { return atEnd() || m_text.at(m_pos) == m_separator || atLineEnd(); }

    void skipLineEnd()
    {
        if (m_text.at(m_pos) == QLatin1Char('\r') && m_pos + 1 < m_text.size()
            && m_text.at(m_pos + 1) == QLatin1Char('\n'))
            ++m_pos;
        ++m_pos;
        ++m_line;
    }

    SheetCell nextField(bool &unclosedQuote)
    {
        const qsizetype start = m_pos;
        while (!atEnd() && m_text.at(m_pos) == QLatin1Char(' '))
            ++m_pos;
        if (!atEnd() && m_text.at(m_pos) == Quote)
            return quotedField(unclosedQuote);
        m_pos = start;
        while (!atFieldEnd())
            ++m_pos;
        SheetCell field;
        field.text = m_text.mid(start, m_pos - start);
        return field;
    }

    SheetCell quotedField(bool &unclosedQuote)
    {
        SheetCell field;
        field.quoted = true;
        ++m_pos;
        for (;;) {
            if (atEnd()) {
                unclosedQuote = true;
                return field;
            }
            const QChar c = m_text.at(m_pos);
            if (c == Quote) {
                ++m_pos;
                if (atEnd() || m_text.at(m_pos) != Quote)
                    break;
            } else if (atLineEnd()) {
                field.text += c;
                if (c == QLatin1Char('\r') && m_pos + 1 < m_text.size()
                    && m_text.at(m_pos + 1) == QLatin1Char('\n'))
                    field.text += m_text.at(++m_pos);
                ++m_pos;
                ++m_line;
                continue;
            }
            field.text += c;
            ++m_pos;
        }
        // Text between the closing quote and the separator is kept as
        // written, the way spreadsheets read it.
        const qsizetype rest = m_pos;
        while (!atFieldEnd())
            ++m_pos;
        field.text += m_text.mid(rest, m_pos - rest).trimmed();
        return field;
    }

    const QString &m_text;
    const QChar m_separator;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// The separator the header line uses most, outside quotes.
QChar detectSeparator(QStringView text)
{
    int semicolons = 0, tabs = 0, commas = 0;
    bool inQuotes = false;
    for (QChar c : text) {
        if (c == Quote)
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!inQuotes && c == QLatin1Char(';'))
            ++semicolons;
        else if (!inQuotes && c == QLatin1Char('\t'))
            ++tabs;
        else if (!inQuotes && c == QLatin1Char(','))
            ++commas;
    }
    if (semicolons >= tabs && semicolons >= commas)
        return QLatin1Char(';');
    return tabs >= commas ? QLatin1Char('\t') : QLatin1Char(',');
}

// Excel's hint "sep=;" on the first line names the separator; the header
// follows on the next line. Returns where the header starts, 0 without it.
qsizetype separatorHint(const QString &text, QChar &separator)
{
    if (text.size() < 5 || !text.startsWith(QLatin1String("sep="), Qt::CaseInsensitive))
        return 0;
    qsizetype end = 5;
    if (end < text.size() && text.at(end) == QLatin1Char('\r'))
        ++end;
    if (end < text.size() && text.at(end) == QLatin1Char('\n'))
        ++end;
    if (end == 5 && end < text.size())
        return 0;   // more on the line than one character
    separator = text.at(4);
    return end;
}

// ---- decoding ---------------------------------------------------------

enum class LineBytes { Ascii, Utf8, NotUtf8 };

// Whether a line of bytes is plain ASCII, UTF-8 with other characters, or
// no UTF-8 at all (overlong forms and surrogates count as no UTF-8).
LineBytes classify(const char *bytes, qsizetype size)
{
    bool ascii = true;
    for (qsizetype i = 0; i < size;) {
        const auto lead = uchar(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        ascii = false;
        int more = 0;
        uint code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            code = lead & 0x07;
        } else {
            return LineBytes::NotUtf8;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= size || (uchar(bytes[i + k]) & 0xC0) != 0x80)
                return LineBytes::NotUtf8;
            code = (code << 6) | (uchar(bytes[i + k]) & 0x3F);
        }
        if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)))
            || (more == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return LineBytes::NotUtf8;
        i += more + 1;
    }
    return ascii ? LineBytes::Ascii : LineBytes::Utf8;
}

// The first line of each kind, counting lines as the record reader does.
struct LineKinds
{
    int firstUtf8 = 0;
    int firstNotUtf8 = 0;
};

LineKinds lineKinds(const QByteArray &bytes, qsizetype start)
{
    LineKinds kinds;
    int line = 1;
    qsizetype from = start;
    const qsizetype size = bytes.size();
    for (qsizetype i = start; i <= size; ++i) {
        const bool end = i == size || bytes.at(i) == '\n' || bytes.at(i) == '\r';
        if (!end)
            continue;
        const LineBytes kind = classify(bytes.constData() + from, i - from);
        if (kind == LineBytes::Utf8 && kinds.firstUtf8 == 0)
            kinds.firstUtf8 = line;
        if (kind == LineBytes::NotUtf8 && kinds.firstNotUtf8 == 0)
            kinds.firstNotUtf8 = line;
        if (i < size && bytes.at(i) == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
            ++i;
        from = i + 1;
        ++line;
    }
    return kinds;
}

// "Unicode text" of Calc and Excel without a byte-order mark: ASCII text in
// UTF-16 has a zero in every other byte. Returns the byte order found.
std::optional<QStringDecoder::Encoding> utf16WithoutMark(const QByteArray &bytes)
{
    const qsizetype sample = std::min<qsizetype>(bytes.size(), 4096) & ~qsizetype(1);
    if (sample < 4)
        return std::nullopt;
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < sample; ++i) {
        if (bytes.at(i) == 0)
            ++(i % 2 ? oddZeros : evenZeros);
    }
    const qsizetype pairs = sample / 2;
    if (oddZeros * 10 >= pairs * 3 && evenZeros * 20 <= pairs)
        return QStringDecoder::Utf16LE;
    if (evenZeros * 10 >= pairs * 3 && oddZeros * 20 <= pairs)
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

struct Decoded
{
    QString text;
    QString encoding;
    QString error;
    bool conflict = false;
};

bool decodeUtf16(const QByteArray &bytes, Decoded &decoded)
{
    QStringDecoder::Encoding order = QStringDecoder::Utf16LE;
    qsizetype skip = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        skip = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        order = QStringDecoder::Utf16BE;
        skip = 2;
    } else if (const auto found = utf16WithoutMark(bytes)) {
        order = *found;
    }
    QStringDecoder decoder(order);
    decoded.text = decoder.decode(QByteArrayView(bytes).sliced(skip));
    decoded.encoding = order == QStringDecoder::Utf16LE ? QStringLiteral("UTF-16LE")
                                                        : QStringLiteral("UTF-16BE");
    if (decoder.hasError() || bytes.size() % 2) {
        decoded.error = Csv::tr("The file is not valid UTF-16 text. Save the sheet again as "
                                "\"Unicode text\" or as CSV (UTF-8) and import that.");
        return false;
    }
    return true;
}

// UTF-8 where every line reads as UTF-8, Windows-1251 where lines do not
// (a Russian Windows program wrote them); a file whose lines disagree is
// refused, since either choice garbles some of them.
Decoded decodeAutomatically(const QByteArray &bytes)
{
    Decoded decoded;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || utf16WithoutMark(bytes)) {
        decodeUtf16(bytes, decoded);
        return decoded;
    }
    if (bytes.contains('\0')) {
        decoded.error = Csv::tr("The file holds binary data, not text. Choose a CSV, .xlsx or .ods "
                                "file, or save the sheet as CSV (UTF-8) and import that.");
        return decoded;
    }
    const bool bom = bytes.startsWith(Utf8Bom);
    const LineKinds kinds = lineKinds(bytes, bom ? 3 : 0);
    if (kinds.firstNotUtf8 != 0 && (bom || kinds.firstUtf8 != 0)) {
        decoded.conflict = true;
        decoded.error = bom
            ? Csv::tr("The file starts as UTF-8, but line %1 is not UTF-8, so it would read "
                      "garbled. Save the file again in one encoding, or choose the encoding by "
                      "hand, and import again.").arg(kinds.firstNotUtf8)
            : Csv::tr("The lines of the file are in different encodings: line %1 is UTF-8 and "
                      "line %2 Windows-1251, so either reading garbles one of them. Save the "
                      "file again in one encoding, or choose the encoding by hand, and import "
                      "again.").arg(kinds.firstUtf8).arg(kinds.firstNotUtf8);
        return decoded;
    }
    if (kinds.firstNotUtf8 != 0) {
        decoded.encoding = QStringLiteral("Windows-1251");
        decoded.text = fromCp1251(bytes);
        return decoded;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    decoded.encoding = bom ? QStringLiteral("UTF-8 with byte-order mark") : QStringLiteral("UTF-8");
    decoded.text = utf8.decode(QByteArrayView(bytes).sliced(bom ? 3 : 0));
    return decoded;
}

Decoded decode(const QByteArray &bytes, TextEncoding encoding)
{
    Decoded decoded;
    switch (encoding) {
    case TextEncoding::Automatic:
        return decodeAutomatically(bytes);
    case TextEncoding::Utf8: {
        const bool bom = bytes.startsWith(Utf8Bom);
        QStringDecoder utf8(QStringDecoder::Utf8);
        decoded.text = utf8.decode(QByteArrayView(bytes).sliced(bom ? 3 : 0));
        decoded.encoding = bom ? QStringLiteral("UTF-8 with byte-order mark") : QStringLiteral("UTF-8");
        break;
    }
    case TextEncoding::Windows1251:
        decoded.text = fromCp1251(bytes);
        decoded.encoding = QStringLiteral("Windows-1251");
        break;
    case TextEncoding::Utf16:
        decodeUtf16(bytes, decoded);
        return decoded;
    }
    if (decoded.text.contains(QChar(0)))
        decoded.error = Csv::tr("Read as %1, the file holds binary data. Choose another encoding.")
                            .arg(decoded.encoding);
    return decoded;
}

// ---- headers ----------------------------------------------------------

// Headers are compared without case, surrounding blanks, a unit or remark
// in brackets or after a comma ("Срок годности, сут.", "Штрих-код (EAN-13)"),
// and with ё read as е.
QString headerKey(const QString &header)
{
    QString key;
    int depth = 0;
    for (QChar c : header) {
        if (c == QLatin1Char(',') && depth == 0)
            break;
        if (c == QLatin1Char('(') || c == QLatin1Char('['))
            ++depth;
        else if ((c == QLatin1Char(')') || c == QLatin1Char(']')) && depth > 0)
            --depth;
        else if (depth == 0)
            key += c;
    }
    key = key.simplified().toCaseFolded();
    key.replace(QChar(0x0451), QChar(0x0435));
    return key;
}

// The file's own names for the three name columns: Name1..Name3 as the
// table labels them, or Name0..Name2 as the XML file does. A header with
// Name0 in it uses the XML numbering throughout.
int fieldOfHeader(const QString &key, bool xmlNames)
{
    struct Alias { const char16_t *key; int field; };
    static const Alias aliases[] = {
        { u"number", CsvNumberField }, { u"plu", CsvNumberField },
        { u"plu number", CsvNumberField }, { u"plu no", CsvNumberField },
        { u"номер", CsvNumberField }, { u"код", CsvNumberField },
        { u"код товара", CsvNumberField }, { u"номер plu", CsvNumberField },
        { u"price", PriceColumn }, { u"цена", PriceColumn },
        { u"name", Name1Column }, { u"наименование", Name1Column },
        { u"название", Name1Column }, { u"наименование товара", Name1Column },
        { u"название товара", Name1Column }, { u"товар", Name1Column },
        { u"наименование 2", Name2Column }, { u"наименование2", Name2Column },
        { u"наименование 3", Name3Column }, { u"наименование3", Name3Column },
        { u"barcode", BarcodeColumn }, { u"штрихкод", BarcodeColumn },
        { u"штрих-код", BarcodeColumn }, { u"штрих код", BarcodeColumn },
        { u"ean", BarcodeColumn }, { u"ean-13", BarcodeColumn }, { u"ean13", BarcodeColumn },
        { u"durability", DurabilityColumn }, { u"shelf life", DurabilityColumn },
        { u"срок годности", DurabilityColumn }, { u"срок хранения", DurabilityColumn },
        { u"годность", DurabilityColumn },
    };
    for (const Alias &alias : aliases)
        if (key == QStringView(alias.key))
            return alias.field;
    const int first = xmlNames ? 0 : 1;
    for (int i = 0; i < 3; ++i)
        if (key == QStringLiteral("name%1").arg(first + i))
            return Name1Column + i;
    return CsvIgnoredField;
}

QString headerList(const QList<CsvMapping> &mapping)
{
    QStringList quoted;
    for (const CsvMapping &m : mapping)
        quoted.append(QLatin1Char('"') + m.header + QLatin1Char('"'));
    return quoted.join(QLatin1String(", "));
}

QString shortestText(double number)
{
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

// The text a header cell shows, whatever its type.
QString headerText(const SheetCell &cell)
{
    if (cell.kind == SheetCell::Number)
        return shortestText(cell.number);
    return cell.text.trimmed();
}

// Fills the mapping; the error text when the header cannot be used.
QString mapHeader(const SheetRecord &header, QList<CsvMapping> &mapping)
{
    bool xmlNames = false;
    for (const SheetCell &c : header.cells)
        xmlNames = xmlNames || headerKey(headerText(c)) == QLatin1String("name0");
    QHash<int, QString> taken;
    for (const SheetCell &c : header.cells) {
        const QString text = headerText(c);
        const int field = fieldOfHeader(headerKey(text), xmlNames);
        mapping.append({ text, field });
        if (field == CsvIgnoredField)
            continue;
        if (taken.contains(field))
            return Csv::tr("The header names the %1 column twice, as \"%2\" and \"%3\". "
                      "Rename or remove one of them and import again.")
                .arg(csvFieldName(field), taken.value(field), text);
        taken.insert(field, text);
    }
    // Trailing empty header fields (a separator at the end of the line) name nothing.
    while (!mapping.isEmpty() && mapping.constLast().header.isEmpty())
        mapping.removeLast();
    if (!taken.contains(CsvNumberField))
        return Csv::tr("The file has no Number column; its header holds %1. "
                  "Name the column of PLU numbers Number, PLU or Номер and import again.")
            .arg(headerList(mapping));
    if (taken.size() == 1)
        return Csv::tr("The file has no column to take besides Number; its header holds %1. "
                  "Name the columns Price, Name1, Name2, Name3, Barcode or Durability "
                  "(or Цена, Наименование, Штрихкод, Срок годности) and import again.")
            .arg(headerList(mapping));
    return QString();
}

// ---- values -----------------------------------------------------------


// A spreadsheet that took the barcode for a number shows it as 4.6E+12 or
// drops its leading zeros; neither can be mended, only exported again.
QString barcodeRefusal(const QString &text)
{
    if (text.contains(QLatin1Char('E'), Qt::CaseInsensitive) && text.front().isDigit())
        return Csv::tr("A spreadsheet turned this barcode into a number. "
                  "Format the column as text, type the 13 digits again and export again.");
    if (isAsciiDigits(text) && text.size() < BarcodeDigits)
        return Csv::tr("The barcode has only %1 digits; a spreadsheet may have dropped its leading "
                  "zeros. Format the column as text and export again.")
            .arg(text.size());
    return refusalMessage(BarcodeColumn, text);
}

// "12,50" is how a spreadsheet in a decimal-comma locale writes 12.50.
QString withDecimalPoint(const QString &price)
{
    if (price.count(QLatin1Char(',')) == 1 && !price.contains(QLatin1Char('.'))) {
        QString point = price;
        point.replace(QLatin1Char(','), QLatin1Char('.'));
        return point;
    }
    return price;
}

bool isNameField(int field)
{
    return field >= Name1Column && field <= Name3Column;
}

// A value as the cell of the table will hold it, or why it cannot.
struct CellValue
{
    QString text;
    QString refusal;
};

bool isWhole(double number)
{
    return std::isfinite(number) && std::floor(number) == number;
}

// A number cell: a whole number where the column counts, its digits for a
// barcode, and a price only when it has at most two decimals, to within
// what the file's binary number can say; it is never rounded.
CellValue numberValue(double number, int field)
{
    if (field == PriceColumn) {
        const double cents = std::round(number * 100.0);
        if (!std::isfinite(number) || std::fabs(number) > 1e12
            || std::fabs(number - cents / 100.0) > 1e-9)
            return { shortestText(number),
                     Csv::tr("The price has more than two decimals; it is not rounded. Round it "
                             "in the spreadsheet and import again.") };
        return { QString::number(cents / 100.0, 'f', 2), QString() };
    }
    // Anything but a whole number is left to the column's rule.
    if (isWhole(number) && std::fabs(number) < 1e18)
        return { QString::number(number, 'f', 0), QString() };
    return { shortestText(number), QString() };
}

// The value of a cell for its field; CSV text loses a formula guard, and
// every column but the names loses its blanks.
CellValue cellValue(const SheetCell &cell, int field, bool csv)
{
    switch (cell.kind) {
    case SheetCell::Text: {
        const bool name = isNameField(field);
        QString text = name ? cell.text : cell.text.trimmed();
        if (csv)
            text = withoutFormulaGuard(text);
        if (!name)
            text = text.trimmed();
        return { field == PriceColumn ? withDecimalPoint(text) : text, QString() };
    }
    case SheetCell::Number:
        return numberValue(cell.number, field);
    case SheetCell::Date:
        return { cell.text, Csv::tr("The cell holds a date or time, but this column takes %1. "
                                    "Format the cell as %1, type the value again and import again.")
                                .arg(isNameField(field) ? Csv::tr("text") : Csv::tr("a number")) };
    case SheetCell::Boolean:
        return { cell.text, Csv::tr("The cell holds TRUE or FALSE, which no column of the table "
                                    "takes. Put the value itself in it and import again.") };
    case SheetCell::Error:
        return { cell.text, Csv::tr("The cell's formula gives an error. Mend the formula, or put "
                                    "the value itself in the cell, and import again.") };
    case SheetCell::NoResult:
        return { QString(), Csv::tr("The cell holds a formula whose result cannot be read: the "
                                    "file stores none, or the formula gives an error. Put the "
                                    "value itself in the cell (Paste Special, values only) and "
                                    "import again.") };
    }
    return {};
}

QString valueRefusal(const QString &text, int column)
{
    if (column == BarcodeColumn && !text.isEmpty())
        return barcodeRefusal(text);
    return refusalMessage(column, text);
}

QString columnAddress(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

class Importer
{
public:
    explicit Importer(CsvImport &result) : m_result(result), m_csv(result.format == SheetFormat::Text) {}

    void readRecord(const SheetRecord &record)
    {
        QList<CsvRefusal> refusals;
        CsvRow row;
        row.line = record.line;
        QString numberText;
        QString numberCell;
        bool extraReported = false;
        const qsizetype columns = m_result.mapping.size();
        for (qsizetype i = 0; i < record.cells.size(); ++i) {
            const SheetCell &cell = record.cells.at(i);
            const int field = i < columns ? m_result.mapping.at(i).field : CsvIgnoredField;
            if (field == CsvIgnoredField) {
                const bool headed = i < columns && !m_result.mapping.at(i).header.isEmpty();
                if (!headed && !cell.isEmpty() && !extraReported) {
                    refusals.append(withoutColumn(record, cell, i >= columns));
                    extraReported = true;
                }
                continue;
            }
            const QString name = csvFieldName(field);
            const CellValue value = cellValue(cell, field, m_csv);
            if (!value.refusal.isEmpty()) {
                refusals.append({ record.line, name, value.text, value.refusal, cell.address });
                continue;
            }
            if (value.text.contains(QLatin1Char('\n')) || value.text.contains(QLatin1Char('\r'))) {
                refusals.append({ record.line, name, value.text,
                                  Csv::tr("A value cannot hold a line break. "
                                     "Put it on one line and import again."), cell.address });
                continue;
            }
            if (field == CsvNumberField) {
                numberText = value.text;
                numberCell = cell.address;
                continue;
            }
            const QString message = valueRefusal(value.text, field);
            if (!message.isEmpty())
                refusals.append({ record.line, name, value.text, message, cell.address });
            row.plu.field(field) = value.text;
        }
        if (record.unclosedQuote)
            refusals.append({ record.line, lastColumnName(record), record.cells.constLast().text,
                              Csv::tr("A quote opened on this line is never closed. "
                                 "Close it and import again."), QString() });
        checkNumber(numberText, numberCell, row, refusals);
        if (m_result.canReplace() && row.plu.Price.isEmpty() && refusals.isEmpty())
            refusals.append({ record.line, csvFieldName(PriceColumn), QString(),
                              m_csv ? Csv::tr("The line has no price, so the PLU would not be in "
                                              "use. Give it a price and import again.")
                                    : Csv::tr("The row has no price, so the PLU would not be in "
                                              "use. Give it a price and import again."),
                              cellOf(record.line, PriceColumn) });
        if (refusals.isEmpty())
            m_result.rows.append(row);
        else
            m_result.refusals.append(refusals);
    }

private:
    // A value with no header above it: in a CSV file most often a separator
    // inside a value that split it, so nothing of the line can be trusted.
    CsvRefusal withoutColumn(const SheetRecord &record, const SheetCell &cell, bool pastHeader) const
    {
        QString reason;
        if (!m_csv)
            reason = Csv::tr("The cell stands in a column without a header. Give the column a "
                             "header, or empty the cell, and import again.");
        else if (pastHeader)
            reason = Csv::tr("The line has more values than the header has columns (%1): a "
                             "separator inside a value, such as a decimal comma in a file "
                             "separated by commas, splits it. Put that value in quotes and "
                             "import again.").arg(m_result.mapping.size());
        else
            reason = Csv::tr("The value stands under an empty field of the header. Give the "
                             "column a header, or remove the value, and import again.");
        return { record.line, QString(), cell.text, reason, cell.address };
    }

    // The workbook cell of a field in a row, for a refusal about the row.
    QString cellOf(int line, int field) const
    {
        if (m_csv)
            return QString();
        for (qsizetype i = 0; i < m_result.mapping.size(); ++i)
            if (m_result.mapping.at(i).field == field)
                return columnAddress(int(i)) + QString::number(line);
        return QString();
    }

    QString lastColumnName(const SheetRecord &record) const
    {
        const qsizetype last = record.cells.size() - 1;
        return last < m_result.mapping.size() ? csvFieldName(m_result.mapping.at(last).field)
                                              : QString();
    }

    void checkNumber(const QString &text, const QString &cell, CsvRow &row,
                     QList<CsvRefusal> &refusals)
    {
        const QString label = csvFieldName(CsvNumberField);
        const std::optional<int> number = parsePluNumber(text);
        if (!number) {
            const bool cellRefused = std::any_of(refusals.cbegin(), refusals.cend(),
                                                 [&](const CsvRefusal &r) { return r.column == label; });
            if (cellRefused)
                return;
            const QString place = cell.isEmpty() ? cellOf(row.line, CsvNumberField) : cell;
            refusals.prepend({ row.line, label, text,
                               text.isEmpty()
                                   ? (m_csv ? Csv::tr("The line has no PLU number. Give it one and "
                                                      "import again.")
                                            : Csv::tr("The row has no PLU number. Give it one and "
                                                      "import again."))
                                   : Csv::tr("The PLU number must be in range [0 - 998]."),
                               place });
            return;
        }
        const auto earlier = m_firstLineOf.constFind(*number);
        if (earlier != m_firstLineOf.constEnd()) {
            refusals.prepend({ row.line, label, text,
                               m_csv ? Csv::tr("PLU %1 is already on line %2; this line was left "
                                               "out. Keep one of the two lines and import again.")
                                           .arg(*number).arg(*earlier)
                                     : Csv::tr("PLU %1 is already in row %2; this row was left "
                                               "out. Keep one of the two rows and import again.")
                                           .arg(*number).arg(*earlier),
                               cell });
            return;
        }
        m_firstLineOf.insert(*number, row.line);
        row.number = *number;
        row.plu.Number = QString::number(*number);
    }

    CsvImport &m_result;
    const bool m_csv;
    QHash<int, int> m_firstLineOf;
};

} // namespace

bool SheetCell::isEmpty() const
{
    return kind == Text && !quoted && text.trimmed().isEmpty();
}

bool SheetRecord::isBlank() const
{
    return std::all_of(cells.cbegin(), cells.cend(), [](const SheetCell &c) { return c.isEmpty(); });
}

bool CsvImport::hasColumn(int field) const
{
    return std::any_of(mapping.cbegin(), mapping.cend(),
                       [field](const CsvMapping &m) { return m.field == field; });
}

QString CsvImport::replaceRefusal() const
{
    if (canReplace())
        return QString();
    return Csv::tr("The file has no Price column; its header holds %1. A table made of it "
                   "would hold no PLU in use, so it can only update the PLUs it lists. Name "
                   "the column of prices Price or Цена to replace the table with it.")
        .arg(headerList(mapping));
}

int CsvImport::linesLeftOut() const
{
    QSet<int> lines;
    for (const CsvRefusal &refusal : refusals)
        lines.insert(refusal.line);
    return int(lines.size());
}

QStringList CsvImport::unusedColumns() const
{
    QStringList unused;
    for (const CsvMapping &m : mapping)
        if (m.field == CsvIgnoredField && !m.header.isEmpty())
            unused.append(m.header);
    return unused;
}

QByteArray csvFromTable(const PluTable &table)
{
    QStringList header = { csvFieldName(CsvNumberField) };
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        header.append(columnLabel(col));
    QString text = csvRecord(header);
    for (int row : table.rowsInUse()) {
        QStringList fields = { QString::number(row) };
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            fields.append(table.text(row, col));
        text += csvRecord(fields);
    }
    return QByteArray(Utf8Bom) + text.toUtf8();
}

CsvImport importRecords(const QList<SheetRecord> &records, SheetFormat format)
{
    CsvImport result;
    result.format = format;
    const bool csv = format == SheetFormat::Text;
    qsizetype next = 0;
    while (next < records.size() && records.at(next).isBlank())
        ++next;
    if (next == records.size()) {
        result.error = csv ? Csv::tr("The file is empty. Choose a file with a header line and "
                                     "PLU lines.")
                           : Csv::tr("The first sheet of the file is empty. Put the header and "
                                     "the PLUs on the first sheet and import again.");
        return result;
    }
    result.error = mapHeader(records.at(next++), result.mapping);
    if (result.failed())
        return result;
    Importer importer(result);
    bool anyLine = false;
    for (; next < records.size(); ++next) {
        if (records.at(next).isBlank())
            continue;
        importer.readRecord(records.at(next));
        anyLine = true;
    }
    if (!anyLine) {
        result.error = Csv::tr("The file holds no PLU. Put one PLU on each line under the header "
                               "and import again.");
    }
    return result;
}

CsvImport importCsv(const QByteArray &bytes, TextEncoding encoding)
{
    const Decoded decoded = decode(bytes, encoding);
    CsvImport result;
    if (!decoded.error.isEmpty()) {
        result.error = decoded.error;
        result.encodingConflict = decoded.conflict;
        result.encoding = decoded.encoding;
        return result;
    }
    QChar separator;
    const qsizetype start = separatorHint(decoded.text, separator);
    if (start == 0)
        separator = detectSeparator(decoded.text);
    RecordReader reader(decoded.text, separator, start, start == 0 ? 1 : 2);
    QList<SheetRecord> records;
    int lines = 0;
    while (!reader.atEnd()) {
        SheetRecord record = reader.next();
        if (record.isBlank())
            continue;
        if (++lines > MaxImportRows + 1) {
            result.error = Csv::tr("The file has more than %1 lines; a PLU table has at most 999 "
                                   "PLUs. Choose the file with the PLUs and import again.")
                               .arg(MaxImportRows);
            return result;
        }
        records.append(std::move(record));
    }
    result = importRecords(records, SheetFormat::Text);
    result.encoding = decoded.encoding;
    result.separator = separator;
    return result;
}

void applyCsvImport(const CsvImport &import, PluTable &table, CsvApplyMode mode)
{
    if (mode == CsvApplyMode::ReplaceTable) {
        table.clear();
        for (const CsvRow &row : import.rows)
            table.setRow(row.number, row.plu);
        return;
    }
    QList<int> columns;
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        if (import.hasColumn(col))
            columns.append(col);
    for (const CsvRow &row : import.rows)
        for (int col : columns)
            table.setText(row.number, col, row.plu.field(col));
}

QString csvSeparatorName(QChar separator)
{
    if (separator == QLatin1Char(','))
        return Csv::tr("comma");
    if (separator == QLatin1Char('\t'))
        return Csv::tr("TAB");
    if (separator == QLatin1Char(';'))
        return Csv::tr("semicolon");
    return QStringLiteral("\"%1\"").arg(separator);
}

QString csvFieldName(int field)
{
    if (field == CsvNumberField)
        return QStringLiteral("Number");
    if (field == CsvIgnoredField)
        return Csv::tr("(not used)");
    return columnLabel(field);
}

QString csvRefusalLine(const CsvRefusal &refusal)
{
    const QString value = shownValue(refusal.value);
    if (!refusal.cell.isEmpty())
        return refusal.column.isEmpty()
            ? Csv::tr("Cell %1, %2: %3").arg(refusal.cell, value, refusal.reason)
            : Csv::tr("Cell %1, %2 %3: %4").arg(refusal.cell, refusal.column, value, refusal.reason);
    return refusal.column.isEmpty()
        ? Csv::tr("Line %1, %2: %3").arg(refusal.line).arg(value, refusal.reason)
        : Csv::tr("Line %1, %2 %3: %4").arg(refusal.line).arg(refusal.column, value, refusal.reason);
}
