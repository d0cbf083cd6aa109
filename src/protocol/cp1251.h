#ifndef CP1251_H
#define CP1251_H

#include <QByteArray>
#include <QString>

// The scale, its files and its port names speak Windows-1251. Every 8-bit
// conversion that crosses the program's boundary goes through these two.
// Characters the code page cannot hold become one '?' each (0x3F), a pair
// of surrogates counting as one character.
QByteArray toCp1251(const QString &text);
QString fromCp1251(const QByteArray &bytes);

// True when the code page has a byte for c.
bool fitsCp1251(QChar c);

// The number of characters (code points) of text: what toCp1251 makes
// bytes of. A lone surrogate counts as one.
qsizetype characterCount(const QString &text);

#endif // CP1251_H
