#include "cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

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
    // A character the code page holds survives the round trip unchanged.
    const QString one(c);
    return fromCp1251(toCp1251(one)) == one;
}
