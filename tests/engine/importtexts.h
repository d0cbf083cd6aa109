#ifndef IMPORTTEXTS_H
#define IMPORTTEXTS_H

// What the spreadsheet tests compare: rows as one line of text each, and
// the test files of a data folder.

#include "csv.h"
#include "plu.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// The bytes of a test file; a missing one stops the test program.
inline QByteArray testFileBytes(const QString &folder, const QString &name)
{
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test file %s", qPrintable(name));
    return file.readAll();
}

// "2|1.00|ok|||4600000000008|" for PLU 2: the number and the six texts.
inline QString rowTexts(const PLU_STRING &plu)
{
    QStringList texts = { plu.Number };
    for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
        texts.append(plu.field(col));
    return texts.join(QLatin1Char('|'));
}

inline QStringList acceptedRows(const CsvImport &import)
{
    QStringList rows;
    for (const CsvRow &row : import.rows)
        rows.append(rowTexts(row.plu));
    return rows;
}

#endif // IMPORTTEXTS_H
