#ifndef PLU_H
#define PLU_H

#include <QString>
#include <cstdint>
#include <optional>

// Number of PLU rows of the scale; the row index is the PLU number.
constexpr int PLU_COUNT = 999;
// Columns of the PLU table: six of data (Price, three names, Barcode,
// Durability), then the deletion mark.
constexpr int PLU_DATA_COLUMNS = 6;
constexpr int PLU_MARK_COLUMN = 6;

// The one reader of numbers that come from files and from the scale: an
// optional minus and ASCII digits, nothing else (no plus, blanks, group
// separators or other scripts' digits). Empty when the text is not such a
// number.
std::optional<qint64> parseDecimal(const QString &text);
// A PLU number, 0 to 998, written as parseDecimal reads it.
std::optional<int> parsePluNumber(const QString &text);

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

#endif // PLU_H
