// The file commands' document side: the window's table saved through and
// loaded from the engine's PLU file code.

#include "tarexa.h"
#include "plutable.h"
#include "xml.h"

#include <QDomDocument>
#include <QDomElement>

bool Tarexa::saveDocument(const QString &fileName, UnwritableCell &unwritable,
                          WriteFailure &failure)
{
    QByteArray bytes;
    UnwritableCharacter character;
    if (!serialisePluTable(tableContents(), bytes, &character)) {
        unwritable = { parsePluNumber(character.number).value_or(-1),
                       character.attribute - 1, character.code };
        return false;
    }
    return writePluFile(fileName, bytes, &failure);
}

// The whole file is read and checked before the table is touched: a file
// that fails leaves the document as it was. An element whose number is no
// PLU number, or repeats an earlier one, is left out rather than guessed
// at, and so is each value its column refuses; refusals collects a line
// for each, and for each element that is no PLU or has no price.
bool Tarexa::loadDocument(const QString &fileName, QStringList &refusals)
{
    QList<PLU_STRING> rows;
    QStringList skipped;
    if (!readPluFile(fileName, rows, nullptr, &skipped))
        return false;
    clearDocument();
    refusals << skipped;
    for (const FilePlu &p : acceptedFilePlus(rows, refusals))
        putPluInRow(short(p.row), p.accepted);
    m_refusalsInDocument = !refusals.isEmpty();
    return true;
}

QDomElement Tarexa::PluToNode(QDomDocument &d, const PLU_STRING &s)
{
    return pluElement(d, s);
}
