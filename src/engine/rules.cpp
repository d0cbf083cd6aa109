#include "rules.h"
#include "translated.h"
#include "cp1251.h"
#include "plutable.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

const int NameLength = 19;
const double TopPrice = 9999.99;
const int TopDurability = 255;

QStringView withoutPlus(const QString &text)
{
    return text.startsWith(QLatin1Char('+')) ? QStringView(text).mid(1) : QStringView(text);
}

// Digits, then an optional point with at most two more digits; at least
// one digit in all. "5", "5.", ".5" and "0005.10" are prices.
bool isPriceText(QStringView text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView decimals = point < 0 ? QStringView() : text.mid(point + 1);
    if (decimals.size() > 2 || whole.size() + decimals.size() == 0)
        return false;
    return std::all_of(whole.begin(), whole.end(), isAsciiDigit)
        && std::all_of(decimals.begin(), decimals.end(), isAsciiDigit);
}

bool isBarcode(const QString &text)
{
    return text.size() == BarcodeDigits && isAsciiDigits(text);
}

} // namespace

std::optional<double> priceValue(const QString &text)
{
    const QStringView number = withoutPlus(text);
    if (!isPriceText(number))
        return std::nullopt;
    bool ok = false;
    double price = number.toDouble(&ok);
    if (!ok)    // "5." reads as 5
        price = (number.toString() + QLatin1Char('0')).toDouble(&ok);
    if (!ok || price > TopPrice)
        return std::nullopt;
    return price;
}

std::optional<int> durabilityValue(const QString &text)
{
    const QStringView number = withoutPlus(text);
    if (number.startsWith(QLatin1Char('-')))
        return std::nullopt;
    const std::optional<qint64> value = parseDecimal(number.toString());
    if (!value || *value > TopDurability)
        return std::nullopt;
    return int(*value);
}

qsizetype nameLength(const QString &text)
{
    return characterCount(text.normalized(QString::NormalizationForm_C));
}

QString refusalMessage(int column, const QString &text)
{
    if (text.isEmpty())
        return QString();
    switch (column) {
    case PriceColumn:
        return priceValue(text) ? QString()
                                : translated(QT_TRANSLATE_NOOP("Tarexa", "The value must be in range [0.00 - 9999.99]"));
    case Name1Column:
    case Name2Column:
    case Name3Column:
        return nameLength(text) <= NameLength ? QString()
                                              : translated(QT_TRANSLATE_NOOP("Tarexa", "The name must be at most 19 sybols long"));
    case BarcodeColumn:
        return isBarcode(text) ? QString()
                               : translated(QT_TRANSLATE_NOOP("Tarexa", "The Barcode must consist of 13 digits [0 - 9]"));
    case DurabilityColumn:
        return durabilityValue(text) ? QString()
                                     : translated(QT_TRANSLATE_NOOP("Tarexa", "The value must be in range [0 - 255]"));
    default:
        return QString();
    }
}

QString shownValue(const QString &value)
{
    const qsizetype longest = 60;
    qsizetype kept = std::min(value.size(), longest);
    if (kept < value.size() && kept > 0 && value.at(kept - 1).isHighSurrogate())
        --kept;     // never half a character
    QString shown;
    for (QChar c : QStringView(value).left(kept)) {
        if (c == QLatin1Char('\r'))
            shown += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            shown += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            shown += QLatin1String("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QLatin1String("\\x")
                   + QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += c;
    }
    if (kept < value.size())
        shown += QChar(0x2026);
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString columnLabel(int column)
{
    static const char *const labels[PluColumnCount] = { "Price", "Name1", "Name2", "Name3",
                                                        "Barcode", "Durability", " " };
    return column >= 0 && column < PluColumnCount ? QString::fromLatin1(labels[column])
                                                  : QString();
}

PLU_STRING acceptedTexts(int row, const PLU_STRING &s, QList<Refusal> &refused)
{
    PLU_STRING accepted = s;
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col) {
        QString &value = accepted.field(col);
        const QString message = refusalMessage(col, value);
        if (message.isEmpty())
            continue;
        refused.append({ row, col, value, message });
        value.clear();
    }
    return accepted;
}

QList<Refusal> refusalsIn(const PluTable &table)
{
    QList<Refusal> refusals;
    for (int row = 0; row < PLU_COUNT; ++row)
        acceptedTexts(row, table.row(row), refusals);
    return refusals;
}
