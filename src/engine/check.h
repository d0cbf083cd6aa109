#ifndef CHECK_H
#define CHECK_H

#include <QList>
#include <QString>

class PluTable;

// What the column rules let through but the scale still handles badly.
enum class CheckKind
{
    BarcodeCheckDigit,      // the 13th digit does not match the first twelve
    SharedBarcode,          // another PLU in use has the same barcode
    NameNotCp1251,          // the scale would show '?' for some characters
    NameControlCharacter,   // TAB, line break or another control character
};

struct CheckFinding
{
    int row = -1;
    int column = -1;
    QString value;
    QString message;
    CheckKind kind = CheckKind::BarcodeCheckDigit;
};

// The findings for the rows in use, by row and then by column. Values the
// column rules refuse are left to those rules.
QList<CheckFinding> presendCheck(const PluTable &table);

// "PLU 3, Barcode "4600000000009": message" — one line of the list shown
// before programming and printed by the command line.
QString checkFindingLine(const CheckFinding &finding);

// The EAN-13 check digit for twelve ASCII digits.
int ean13CheckDigit(QStringView firstTwelve);

#endif // CHECK_H
