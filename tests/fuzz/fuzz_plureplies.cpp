// A stored scale reply, as the read collects it, to the PLU it names: the
// split into fields, the bar type, the row, and the column rules every
// cell then meets.
#include "require.h"
#include "cp1251.h"
#include "rules.h"
#include "scale.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The read turns the buffer into text up to its first zero byte.
    QByteArray stored(reinterpret_cast<const char *>(data), int(size));
    const int zero = stored.indexOf('\0');
    if (zero >= 0)
        stored.truncate(zero);
    QString reply = fromCp1251(stored);
    reply.remove(0, 4);

    PLU_STRING s;
    const short number = replyToPlu(reply, s);
    if (number < 0 || number >= PLU_COUNT) {
        require(s.Number.isEmpty() && s.Price.isEmpty());
        return 0;
    }
    const QString texts[6] = { s.Price, s.Name[0], s.Name[1], s.Name[2], s.Barcode, s.Durabil };
    for (int col = 0; col < 6; ++col)
        refusalMessage(col, texts[col]);
    return 0;
}
