#include "plu.h"

#include <algorithm>

namespace {

// More digits than this cannot be a number any caller wants, and stay far
// from the range of qint64.
const int MaxDigits = 18;

} // namespace

bool isAsciiDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

std::optional<qint64> parseDecimal(const QString &text)
{
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QStringView digits = QStringView(text).mid(negative ? 1 : 0);
    if (digits.isEmpty() || digits.size() > MaxDigits)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : digits) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return negative ? -value : value;
}

std::optional<int> parsePluNumber(const QString &text)
{
    const std::optional<qint64> value = parseDecimal(text);
    if (!value || *value < 0 || *value >= PLU_COUNT)
        return std::nullopt;
    return int(*value);
}

const QString &PLU_STRING::field(int column) const
{
    switch (column) {
    case PriceColumn: return Price;
    case Name1Column: return Name[0];
    case Name2Column: return Name[1];
    case Name3Column: return Name[2];
    case BarcodeColumn: return Barcode;
    default: return Durabil;
    }
}

QString &PLU_STRING::field(int column)
{
    return const_cast<QString &>(static_cast<const PLU_STRING *>(this)->field(column));
}

bool PLU_STRING::operator==(const PLU_STRING &other) const
{
    if (Number != other.Number)
        return false;
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        if (field(col) != other.field(col))
            return false;
    return true;
}
