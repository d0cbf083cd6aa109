#ifndef RULES_H
#define RULES_H

#include "plu.h"

#include <QList>
#include <QString>

#include <optional>

class PluTable;

// The rule every value of a column is held to, wherever it comes from:
// typed, loaded from a file, read from the scale or imported.

// The message that refuses text in column, or an empty text when the
// column's rule accepts it. An empty text is accepted in every column.
QString refusalMessage(int column, const QString &text);

// What an accepted Price or Durability text means. Numbers are read the
// same on every machine: a point as the decimal separator, no group
// separators, an optional plus. Empty when the rule refuses the text.
std::optional<double> priceValue(const QString &text);
std::optional<int> durabilityValue(const QString &text);

// A name as the scale counts it: characters (code points) of its composed
// form, so a letter typed with a combining accent is one.
qsizetype nameLength(const QString &text);

// How a message shows a value: in quotes, at most 60 characters (an
// ellipsis marks the cut), with control characters written as \r, \t,
// \n or \xNN so that a message stays on its line.
QString shownValue(const QString &value);

// The header label of a column: "Price", "Name1" ... "Durability".
QString columnLabel(int column);

// One value a column's rule refuses.
struct Refusal
{
    int row = -1;
    int column = -1;
    QString value;
    QString message;
};

// The texts of the PLU in row with every value its column's rule refuses
// emptied; refused gets each refusal, the value as it was.
PLU_STRING acceptedTexts(int row, const PLU_STRING &s, QList<Refusal> &refused);

// Every value of the table that its column's rule refuses, row by row.
QList<Refusal> refusalsIn(const PluTable &table);

#endif // RULES_H
