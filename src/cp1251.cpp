#include "cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <bitset>

namespace {

bool survivesRoundTrip(QChar c)
{
    const QString one(c);
    return fromCp1251(toCp1251(one)) == one;
}

// Opening a converter costs far more than converting one character, so the
// characters the code page holds are found once: every one of them is the
// image of one of its 256 bytes.
std::bitset<0x10000> heldCharacters()
{
    std::bitset<0x10000> held;
    for (int byte = 0; byte < 256; ++byte) {
        const QString decoded = fromCp1251(QByteArray(1, char(byte)));
        if (decoded.size() == 1 && survivesRoundTrip(decoded.at(0)))
            held.set(decoded.at(0).unicode());
    }
    return held;
}

} // namespace

QByteArray toCp1251(const QString &text)
{
    QStringEncoder encoder("CP1251");
    return encoder.encode(text);
}

QString fromCp1251(const QByteArray &bytes)
{
    QStringDecoder decoder("CP1251");
    return decoder.decode(bytes);
}

bool fitsCp1251(QChar c)
{
    static const std::bitset<0x10000> held = heldCharacters();
    return held.test(c.unicode());
}
