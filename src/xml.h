#ifndef XML_H
#define XML_H

#include "tarexa.h"

#include <QByteArray>
#include <QList>

class QDomDocument;

// No PLU file comes anywhere near this size (999 rows take some 150 KiB);
// anything larger is refused before a byte of it is read.
constexpr qint64 MaxPluFileSize = 16 * 1024 * 1024;

// Turns the bytes of a PLU file into its PLU elements, in file order and
// with every attribute that is absent left empty. Only the direct "PLU"
// children of a "PLU_DataBase" root count. Returns false, leaving rows
// alone, when the bytes are not well-formed XML, the root has another name,
// or the document type declares entities. Touches no window, so the loader
// can be exercised on arbitrary bytes.
bool parsePluDocument(const QByteArray &bytes, QList<Tarexa::PLU_STRING> &rows);

// A character that no PLU file can hold, and where it stands: the Number
// of its element and the index of its attribute in the written order
// (0 Number, 1 Price, 2 to 4 the names, 5 Barcode, 6 Durability).
struct UnwritableCharacter
{
    QString number;
    int attribute = -1;
    char32_t code = 0;
};

// The bytes of a PLU file for a document built of PluToNode elements:
// Windows-1251, LF line ends, attributes in their fixed order, characters
// the code page lacks as numeric references. Returns false when a value
// holds a character that XML cannot carry at all (such a file could never
// be opened again), and says which in unwritable when given.
bool serialisePluDocument(const QDomDocument &document, QByteArray &bytes,
                          UnwritableCharacter *unwritable = nullptr);

#endif // XML_H
