// The PLU file loader against arbitrary bytes: the parse the window does
// before it touches the table, the column rules every loaded cell meets,
// and a round trip: whatever the loader accepted, saved again, must load
// back to the same texts.
#include "tarexa.h"
#include "xml.h"

#include "require.h"

#include <QApplication>
#include <QDomDocument>

namespace {

// Opens the window's element builder to the fuzzer.
class FuzzWindow : public Tarexa
{
public:
    using Tarexa::PluToNode;
};

FuzzWindow &window()
{
    static int argc = 1;
    static char name[] = "fuzz_xmlfiles";
    static char *argv[] = { name, nullptr };
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    static FuzzWindow *w = new FuzzWindow;
    Q_UNUSED(app);
    return *w;
}

bool sameTexts(const Tarexa::PLU_STRING &a, const Tarexa::PLU_STRING &b)
{
    return a.Number == b.Number && a.Price == b.Price && a.Name[0] == b.Name[0]
        && a.Name[1] == b.Name[1] && a.Name[2] == b.Name[2] && a.Barcode == b.Barcode
        && a.Durabil == b.Durabil;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzWindow &w = window();
    QList<Tarexa::PLU_STRING> rows;
    if (!parsePluDocument(QByteArray(reinterpret_cast<const char *>(data), int(size)), rows))
        return 0;

    for (const Tarexa::PLU_STRING &s : rows) {
        const QString texts[6] = { s.Price, s.Name[0], s.Name[1], s.Name[2], s.Barcode, s.Durabil };
        for (int col = 0; col < 6; ++col)
            Tarexa::refusalMessage(col, texts[col]);
    }

    QDomDocument document("PLU_ML");
    QDomElement root = document.createElement("PLU_DataBase");
    document.appendChild(root);
    for (const Tarexa::PLU_STRING &s : rows)
        root.appendChild(w.PluToNode(document, s));
    QByteArray saved;
    if (!serialisePluDocument(document, saved))
        return 0;
    QList<Tarexa::PLU_STRING> again;
    require(parsePluDocument(saved, again));
    require(again.size() == rows.size());
    for (int i = 0; i < rows.size(); ++i)
        require(sameTexts(rows[i], again[i]));
    return 0;
}
