// The PLU file loader against arbitrary bytes: the parse done
// before a table is touched, the column rules every loaded cell meets,
// and a round trip: whatever the loader accepted, saved again, must load
// back to the same texts.
#include "rules.h"
#include "xml.h"

#include "require.h"

#include <QDomDocument>

namespace {

bool sameTexts(const PLU_STRING &a, const PLU_STRING &b)
{
    return a.Number == b.Number && a.Price == b.Price && a.Name[0] == b.Name[0]
        && a.Name[1] == b.Name[1] && a.Name[2] == b.Name[2] && a.Barcode == b.Barcode
        && a.Durabil == b.Durabil;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<PLU_STRING> rows;
    if (!parsePluDocument(QByteArray(reinterpret_cast<const char *>(data), int(size)), rows))
        return 0;

    for (const PLU_STRING &s : rows) {
        const QString texts[6] = { s.Price, s.Name[0], s.Name[1], s.Name[2], s.Barcode, s.Durabil };
        for (int col = 0; col < 6; ++col)
            refusalMessage(col, texts[col]);
    }

    QDomDocument document("PLU_ML");
    QDomElement root = document.createElement("PLU_DataBase");
    document.appendChild(root);
    for (const PLU_STRING &s : rows)
        root.appendChild(pluElement(document, s));
    QByteArray saved;
    if (!serialisePluDocument(document, saved))
        return 0;
    QList<PLU_STRING> again;
    require(parsePluDocument(saved, again));
    require(again.size() == rows.size());
    for (int i = 0; i < rows.size(); ++i)
        require(sameTexts(rows[i], again[i]));
    return 0;
}
