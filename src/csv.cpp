#include "csv.h"
#include "cp1251.h"
#include "plutable.h"
#include "rules.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>

namespace {

const char Utf8Bom[] = "\xEF\xBB\xBF";
const QChar Quote = QLatin1Char('"');
const QChar Apostrophe = QLatin1Char('\'');
const int BarcodeDigits = 13;

// The texts of this file, as translators see them.
struct Csv
{
    Q_DECLARE_TR_FUNCTIONS(Csv)
};

// ---- writing ----------------------------------------------------------

bool startsFormula(QStringView text)
{
    return !text.isEmpty() && QStringView(u"=+-@").contains(text.front());
}

// Apostrophes, then a formula character: a text the export guarded.
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
// lose its surrounding blanks (the import trims unquoted fields).
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

struct Field
{
    QString text;
    bool quoted = false;
    bool hasLineBreak = false;
};

struct Record
{
    int line = 0;
    QList<Field> fields;
    bool unclosedQuote = false;

    bool isBlank() const
    {
        for (const Field &f : fields)
            if (f.quoted || !f.text.isEmpty())
                return false;
        return true;
    }
};

// Splits decoded text into RFC 4180 records. CRLF, LF and CR all end a
// record; blanks around a quoted field are dropped, those inside it kept.
class RecordReader
{
public:
    RecordReader(const QString &text, QChar separator) : m_text(text), m_separator(separator) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    Record next()
    {
        Record record;
        record.line = m_line;
        for (;;) {
            record.fields.append(nextField(record.unclosedQuote));
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

    Field nextField(bool &unclosedQuote)
    {
        const qsizetype start = m_pos;
        while (!atEnd() && m_text.at(m_pos) == QLatin1Char(' '))
            ++m_pos;
        if (!atEnd() && m_text.at(m_pos) == Quote)
            return quotedField(unclosedQuote);
        m_pos = start;
        while (!atFieldEnd())
            ++m_pos;
        Field field;
        field.text = m_text.mid(start, m_pos - start).trimmed();
        return field;
    }

    Field quotedField(bool &unclosedQuote)
    {
        Field field;
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
                field.hasLineBreak = true;
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
QChar detectSeparator(const QString &text)
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

// ---- decoding ---------------------------------------------------------

// A byte-order mark settles it; otherwise text that is not valid UTF-8
// came from a Russian Windows program.
void decode(const QByteArray &bytes, QString &text, QString &encoding)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    if (bytes.startsWith(Utf8Bom)) {
        encoding = QStringLiteral("UTF-8 with byte-order mark");
        text = utf8.decode(bytes.mid(3));
        return;
    }
    text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        encoding = QStringLiteral("UTF-8");
        return;
    }
    encoding = QStringLiteral("Windows-1251");
    text = fromCp1251(bytes);
}

// ---- headers ----------------------------------------------------------

QString headerKey(const QString &header)
{
    return header.simplified().toLower();
}

// The file's own names for the three name columns: Name1..Name3 as the
// table labels them, or Name0..Name2 as the XML file does. A header with
// Name0 in it uses the XML numbering throughout.
int fieldOfHeader(const QString &key, bool xmlNames)
{
    struct Alias { const char16_t *key; int field; };
    static const Alias aliases[] = {
        { u"number", CsvNumberField }, { u"plu", CsvNumberField },
        { u"номер", CsvNumberField }, { u"код", CsvNumberField },
        { u"код товара", CsvNumberField }, { u"номер plu", CsvNumberField },
        { u"price", PriceColumn }, { u"цена", PriceColumn },
        { u"name", Name1Column }, { u"наименование", Name1Column },
        { u"название", Name1Column },
        { u"наименование 2", Name2Column }, { u"наименование2", Name2Column },
        { u"наименование 3", Name3Column }, { u"наименование3", Name3Column },
        { u"barcode", BarcodeColumn }, { u"штрихкод", BarcodeColumn },
        { u"штрих-код", BarcodeColumn }, { u"ean", BarcodeColumn },
        { u"durability", DurabilityColumn }, { u"срок годности", DurabilityColumn },
        { u"срок хранения", DurabilityColumn }, { u"годность", DurabilityColumn },
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

// Fills the mapping; the error text when the header cannot be used.
QString mapHeader(const Record &header, QList<CsvMapping> &mapping)
{
    bool xmlNames = false;
    for (const Field &f : header.fields)
        xmlNames = xmlNames || headerKey(f.text) == QLatin1String("name0");
    QHash<int, QString> taken;
    for (const Field &f : header.fields) {
        const int field = fieldOfHeader(headerKey(f.text), xmlNames);
        mapping.append({ f.text, field });
        if (field == CsvIgnoredField)
            continue;
        if (taken.contains(field))
            return Csv::tr("The header names the %1 column twice, as \"%2\" and \"%3\". "
                      "Rename or remove one of them and import again.")
                .arg(csvFieldName(field), taken.value(field), f.text);
        taken.insert(field, f.text);
    }
    if (!taken.contains(CsvNumberField))
        return Csv::tr("The file has no Number column; its header holds %1. "
                  "Name the column of PLU numbers Number, PLU or Номер and import again.")
            .arg(headerList(mapping));
    if (!taken.contains(PriceColumn))
        return Csv::tr("The file has no Price column; its header holds %1. "
                  "Name the column of prices Price or Цена and import again.")
            .arg(headerList(mapping));
    return QString();
}

// ---- values -----------------------------------------------------------

bool isDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

// A spreadsheet that took the barcode for a number shows it as 4.6E+12 or
// drops its leading zeros; neither can be mended, only exported again.
QString barcodeRefusal(const QString &text)
{
    if (text.contains(QLatin1Char('E'), Qt::CaseInsensitive) && text.front().isDigit())
        return Csv::tr("A spreadsheet turned this barcode into a number. "
                  "Format the column as text, type the 13 digits again and export again.");
    if (isDigits(text) && text.size() < BarcodeDigits)
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

// The value as the cell will hold it. Names keep the blanks a quoted field
// carries; every other column is a number, which never holds blanks.
QString cellText(const Field &field, int column)
{
    const bool isName = column >= Name1Column && column <= Name3Column;
    QString text = withoutFormulaGuard(isName ? field.text : field.text.trimmed());
    if (!isName)
        text = text.trimmed();
    return column == PriceColumn ? withDecimalPoint(text) : text;
}

QString valueRefusal(const QString &text, int column)
{
    if (column == BarcodeColumn && !text.isEmpty())
        return barcodeRefusal(text);
    return refusalMessage(column, text);
}

class Importer
{
public:
    explicit Importer(CsvImport &result) : m_result(result) {}

    void readLine(const Record &record)
    {
        QList<CsvRefusal> refusals;
        CsvRow row;
        row.line = record.line;
        QString numberText;
        // Fields past the header are not read; missing ones stay empty.
        const qsizetype mapped = std::min(m_result.mapping.size(), record.fields.size());
        for (qsizetype i = 0; i < mapped; ++i) {
            const int field = m_result.mapping.at(i).field;
            if (field == CsvIgnoredField)
                continue;
            const Field &value = record.fields.at(i);
            const QString name = csvFieldName(field);
            if (value.hasLineBreak) {
                refusals.append({ record.line, name, value.text,
                                  Csv::tr("A value cannot hold a line break. "
                                     "Put it on one line and import again.") });
                continue;
            }
            if (field == CsvNumberField) {
                numberText = withoutFormulaGuard(value.text.trimmed()).trimmed();
                continue;
            }
            const QString text = cellText(value, field);
            const QString message = valueRefusal(text, field);
            if (!message.isEmpty())
                refusals.append({ record.line, name, text, message });
            row.plu.field(field) = text;
        }
        if (record.unclosedQuote)
            refusals.append({ record.line, lastColumnName(record), record.fields.constLast().text.left(40),
                              Csv::tr("A quote opened on this line is never closed. "
                                 "Close it and import again.") });
        checkNumber(numberText, row, refusals);
        if (row.plu.Price.isEmpty() && !refusals.size())
            refusals.append({ record.line, csvFieldName(PriceColumn), QString(),
                              Csv::tr("The line has no price, so the PLU would not be in use. "
                                 "Give it a price and import again.") });
        if (refusals.isEmpty())
            m_result.rows.append(row);
        else
            m_result.refusals.append(refusals);
    }

private:
    QString lastColumnName(const Record &record) const
    {
        const qsizetype last = record.fields.size() - 1;
        return last < m_result.mapping.size() ? m_result.mapping.at(last).header : QString();
    }

    void checkNumber(const QString &text, CsvRow &row, QList<CsvRefusal> &refusals)
    {
        const QString label = csvFieldName(CsvNumberField);
        const std::optional<int> number = parsePluNumber(text);
        if (!number) {
            refusals.prepend({ row.line, label, text,
                               text.isEmpty()
                                   ? Csv::tr("The line has no PLU number. Give it one and import again.")
                                   : Csv::tr("The PLU number must be in range [0 - 998].") });
            return;
        }
        const auto earlier = m_firstLineOf.constFind(*number);
        if (earlier != m_firstLineOf.constEnd()) {
            refusals.prepend({ row.line, label, text,
                               Csv::tr("PLU %1 is already on line %2; this line was left out. "
                                  "Keep one of the two lines and import again.")
                                   .arg(*number).arg(*earlier) });
            return;
        }
        m_firstLineOf.insert(*number, row.line);
        row.number = *number;
        row.plu.Number = QString::number(*number);
    }

    CsvImport &m_result;
    QHash<int, int> m_firstLineOf;
};

} // namespace

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

CsvImport importCsv(const QByteArray &bytes)
{
    CsvImport result;
    if (bytes.contains('\0')) {
        result.error = Csv::tr("The file holds binary data, not text. "
                          "Choose a CSV file, or save the sheet as CSV (UTF-8) and import that.");
        return result;
    }
    QString text;
    decode(bytes, text, result.encoding);
    result.separator = detectSeparator(text);
    RecordReader reader(text, result.separator);
    Record header;
    while (!reader.atEnd() && header.isBlank())
        header = reader.next();
    if (header.isBlank()) {
        result.error = Csv::tr("The file is empty. Choose a CSV file with a header line and PLU rows.");
        return result;
    }
    result.error = mapHeader(header, result.mapping);
    if (result.failed())
        return result;
    Importer importer(result);
    while (!reader.atEnd()) {
        const Record record = reader.next();
        if (!record.isBlank())
            importer.readLine(record);
    }
    return result;
}

void applyCsvImport(const CsvImport &import, PluTable &table, CsvApplyMode mode)
{
    if (mode == CsvApplyMode::ReplaceTable)
        table.clear();
    for (const CsvRow &row : import.rows)
        table.setRow(row.number, row.plu);
}

QString csvSeparatorName(QChar separator)
{
    if (separator == QLatin1Char(','))
        return Csv::tr("comma");
    if (separator == QLatin1Char('\t'))
        return Csv::tr("TAB");
    return Csv::tr("semicolon");
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
    return Csv::tr("Line %1, %2 \"%3\": %4")
        .arg(refusal.line)
        .arg(refusal.column, refusal.value, refusal.reason);
}
