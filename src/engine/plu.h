#ifndef PLU_H
#define PLU_H

#include <QString>
#include <cstdint>
#include <optional>

// Number of PLU rows of the scale; the row index is the PLU number.
constexpr int PLU_COUNT = 999;

// The columns of the PLU table, in order: six of data, then the deletion
// mark. This is the one place that ties a column to its field of a PLU.
enum PluColumn
{
    PriceColumn = 0,
    Name1Column,
    Name2Column,
    Name3Column,
    BarcodeColumn,
    DurabilityColumn,
    MarkColumn,
    PluColumnCount
};
constexpr int PLU_DATA_COLUMNS = 6;
constexpr int PLU_MARK_COLUMN = MarkColumn;

// The one reader of numbers that come from files and from the scale: an
// optional minus and ASCII digits, nothing else (no plus, blanks, group
// separators or other scripts' digits). Empty when the text is not such a
// number.
std::optional<qint64> parseDecimal(const QString &text);
// A PLU number, 0 to 998, written as parseDecimal reads it.
std::optional<int> parsePluNumber(const QString &text);

// '0' to '9' only: no other script's digits.
inline bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
// At least one character, each an ASCII digit.
bool isAsciiDigits(QStringView text);

// An EAN-13 barcode: the scale prints nothing else.
constexpr int BarcodeDigits = 13;

// One PLU in typed form, as it is sent to the scale.
struct PLU
{
    qint16 Number = 0;      // row index 0..998; -1 marks an entry that holds no PLU
    double Price = 0.0;
    QString Name[3];
    QString Barcode;        // 13 digits; thirteen zeros when the row has none
    quint8 Durabil = 0;
    bool BarType = false;   // false when Barcode is only the zero filler
};

// One PLU in text form, spelled exactly as in a cell, a scale reply or a
// file. An empty Barcode means the PLU has none.
struct PLU_STRING
{
    QString Number;
    QString Price;
    QString Name[3];
    QString Barcode;
    QString Durabil;

    // The text of a data column (PriceColumn to DurabilityColumn).
    const QString &field(int column) const;
    QString &field(int column);

    bool operator==(const PLU_STRING &other) const;
    bool operator!=(const PLU_STRING &other) const { return !(*this == other); }
};

#endif // PLU_H
