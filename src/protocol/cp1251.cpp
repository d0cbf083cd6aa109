#include "cp1251.h"

#include <QStringDecoder>

#include <array>

namespace {

const char Substitute = '?';
const int NoByte = -1;

// The byte each character of the Basic Multilingual Plane has in the code
// page, or NoByte. Opening a converter costs far more than converting one
// character, so the table is made once from the images of the 256 bytes;
// it also decides what the code page lacks, character by character, where
// a converter would put its own substitute byte (0x1A) on the line.
const std::array<short, 0x10000> &byteTable()
{
    static const std::array<short, 0x10000> table = [] {
        std::array<short, 0x10000> t;
        t.fill(NoByte);
        for (int byte = 0; byte < 256; ++byte) {
            const QString decoded = fromCp1251(QByteArray(1, char(byte)));
            if (decoded.size() == 1 && decoded.at(0) != QChar::ReplacementCharacter
                && t[decoded.at(0).unicode()] == NoByte)
                t[decoded.at(0).unicode()] = short(byte);
        }
        return t;
    }();
    return table;
}

} // namespace

QByteArray toCp1251(const QString &text)
{
    const std::array<short, 0x10000> &table = byteTable();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A pair of surrogates is one character, so one substitute.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            bytes += Substitute;
            continue;
        }
        const short byte = table[c.unicode()];
        bytes += byte == NoByte ? Substitute : char(byte);
    }
    return bytes;
}

QString fromCp1251(const QByteArray &bytes)
{
    QStringDecoder decoder("CP1251");
    return decoder.decode(bytes);
}

bool fitsCp1251(QChar c)
{
    return byteTable()[c.unicode()] != NoByte;
}

qsizetype characterCount(const QString &text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}
