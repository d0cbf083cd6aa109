// Frames, checksums and reply collection, without a port.

#include "comm.h"
#include "cp1251.h"
#include "plu.h"
#include "scalesim.h"
#include "serial.h"

#include <QTest>

#include <cstring>

class FramesTest : public QObject
{
    Q_OBJECT

private slots:
    void frame_data();
    void frame();
    void checkSum_data();
    void checkSum();
    void collector_data();
    void collector();
    void devicePath_data();
    void devicePath();
    void frameReader_data();
    void frameReader();
    void pluDataText_data();
    void pluDataText();
    void lineText_data();
    void lineText();
    void decimals_data();
    void decimals();
    void replyUnderstood_data();
    void replyUnderstood();
};

void FramesTest::replyUnderstood_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");           // every byte came in time
    QTest::addColumn<bool>("understood");
    QTest::addColumn<QString>("dataText");

    const QByteArray accepted = WSerial::buildFrame('0', QString());
    const QByteArray plu = WSerial::buildFrame('0', "5\t1.50\t");
    QTest::newRow("accepted") << accepted << true << true << "";
    QTest::newRow("refused") << WSerial::buildFrame('1', QString()) << true << true << "";
    QTest::newRow("a PLU: its data alone") << plu << true << true << "5\t1.50\t";
    QTest::newRow("a byte that did not come") << accepted.left(4) << false << false << "";
    QTest::newRow("junk before the SOH") << "~" + accepted.left(6) << true << false << "";
    // A refusal whose status was changed on the way reads as accepted:
    // only the checksum shows it.
    QByteArray changed = WSerial::buildFrame('1', QString());
    changed[1] = '0';
    QTest::newRow("status changed on the way") << changed << true << false << "";
    QByteArray length = plu;
    length[3] = char(length[3] + 1);
    QTest::newRow("wrong length digits") << length << true << false << "";
    // Cut at its limit, a reply cannot be checked: taken as it stands.
    QTest::newRow("cut at the limit") << plu.left(7) << true << true << "5\t1";
    QTest::newRow("too short to be a frame") << QByteArray("\x01" "0\x03") << true << false << "";
}

void FramesTest::replyUnderstood()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    ScaleReply reply;
    reply.ok = ok;
    reply.bytes = bytes;
    reply.statusByte = bytes.size() > 1 ? bytes.at(1) : '\0';
    QTEST(reply.understood(), "understood");
    if (reply.understood())
        QTEST(reply.dataText(), "dataText");
}

void FramesTest::lineText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("Cyrillic") << QString("Хлеб") << QByteArray("\xd5\xeb\xe5\xe1");
    // What the code page lacks is one '?' per character, never 0x1A.
    QTest::newRow("accent the code page lacks") << QString("Crème") << QByteArray("Cr?me");
    QTest::newRow("Greek") << QString("Ω") << QByteArray("?");
    QTest::newRow("emoji") << QString::fromUcs4(U"a\U0001F34Eb") << QByteArray("a?b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    QTest::newRow("decomposed short i") << QString("\u0438\u0306") << QByteArray("\xe9");
    // A control character would end a field or the frame: it is a blank.
    QTest::newRow("TAB") << QString("a\tb") << QByteArray("a b");
    QTest::newRow("CR LF ETX DEL") << QString("a\r\n\x03\x7f") << QByteArray("a    ");
    QTest::newRow("C1 control") << QString("a\u0085") << QByteArray("a ");
}

void FramesTest::lineText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1251(::lineText(text)), bytes);
}

void FramesTest::decimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isDecimal");
    QTest::addColumn<int>("plu");   // -1: not a PLU number

    QTest::newRow("0") << "0" << true << 0;
    QTest::newRow("998") << "998" << true << 998;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("999") << "999" << true << -1;
    QTest::newRow("-1") << "-1" << true << -1;
    QTest::newRow("32768") << "32768" << true << -1;
    QTest::newRow("99999999999") << "99999999999" << true << -1;
    QTest::newRow("empty") << "" << false << -1;
    QTest::newRow("minus alone") << "-" << false << -1;
    QTest::newRow("plus") << "+5" << false << -1;
    QTest::newRow("blank") << " 5" << false << -1;
    QTest::newRow("group separator") << "0,005" << false << -1;
    QTest::newRow("decimal point") << "5.0" << false << -1;
    QTest::newRow("hex") << "0x5" << false << -1;
    QTest::newRow("full-width digits") << QString("\uff15") << false << -1;
    QTest::newRow("too many digits") << QString(30, '9') << false << -1;
}

void FramesTest::decimals()
{
    QFETCH(QString, text);
    QFETCH(bool, isDecimal);
    QFETCH(int, plu);
    QCOMPARE(parseDecimal(text).has_value(), isDecimal);
    QCOMPARE(parsePluNumber(text).value_or(-1), plu);
}

void FramesTest::frame_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("head");   // SOH, command, length digits
    QTest::addColumn<QByteArray>("tail");   // checksum digits, ETX
    QTest::addColumn<int>("size");

    QTest::newRow("read first, empty") << 0x62 << QString()
        << QByteArray::fromHex("01623030") << QByteArray::fromHex("3c3203") << 7;
    QTest::newRow("abc") << 0x41 << QString("abc")
        << QByteArray::fromHex("01413033") << QByteArray::fromHex("3c3a03") << 10;
    QTest::newRow("26 characters") << 0x41 << QString(26, 'a')
        << QByteArray::fromHex("0141313a") << QByteArray() << 33;
    QTest::newRow("256 characters") << 0x41 << QString(256, 'a')
        << QByteArray::fromHex("01413030") << QByteArray() << 263;
    QTest::newRow("sum 0x00") << 0x41 << QString("^")
        << QByteArray::fromHex("01413031") << QByteArray::fromHex("303003") << 8;
    QTest::newRow("sum 0xFF") << 0x41 << QString("]")
        << QByteArray::fromHex("01413031") << QByteArray::fromHex("3f3f03") << 8;
    QTest::newRow("delete PLU 3") << 0x42 << QString("3\t")
        << QByteArray::fromHex("014230323309") << QByteArray() << 9;
}

void FramesTest::frame()
{
    QFETCH(int, cmd);
    QFETCH(QString, data);
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, tail);
    QFETCH(int, size);

    const QByteArray frame = WSerial::buildFrame(static_cast<unsigned char>(cmd), data);
    QCOMPARE(frame.size(), size);
    QVERIFY2(frame.startsWith(head), frame.toHex(' '));
    QVERIFY2(frame.endsWith(tail), frame.toHex(' '));
    QCOMPARE(frame.mid(4, size - 7), toCp1251(data));
    QCOMPARE(frame.right(3).left(2), WSerial::checkSum(fromCp1251(frame.left(size - 3))).toLatin1());
}

void FramesTest::checkSum_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("digits");

    QTest::newRow("first character not summed") << QString("\x7f") << QString("00");
    QTest::newRow("empty") << QString() << QString("00");
    QTest::newRow("wraps at 256") << QString("\x01zzz") << QString("6>");
    QTest::newRow("letters become :..?") << (QString(QChar(1)) + QChar(0xAB)) << QString(":;");
    QTest::newRow("Cyrillic counts its code page byte") << QString("\x01") + QChar(0x0416)
        << QString("<6");   // Ж is 0xC6 in Windows-1251
}

void FramesTest::checkSum()
{
    QFETCH(QString, text);
    QFETCH(QString, digits);
    QCOMPARE(WSerial::checkSum(text), digits);
}

void FramesTest::collector_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("consumed");      // bytes taken before the reply ended

    const QByteArray reply = QByteArray::fromHex("01303030393003");
    QTest::newRow("plain reply ends at ETX") << reply << 200 << reply << 7;
    QTest::newRow("two leading SYN use one place")
        << QByteArray::fromHex("1616013030303930" "03") << 7
        << QByteArray::fromHex("013030303930") << 8;
    QTest::newRow("SYN inside does not count")
        << QByteArray::fromHex("01163030303930" "03") << 7
        << QByteArray::fromHex("01303030393003") << 8;
    QTest::newRow("limit cuts a long reply") << QByteArray("\x01" "0123456789", 11) << 4
        << QByteArray("\x01" "012", 4) << 4;
    QTest::newRow("limit 0 takes nothing") << reply << 0 << QByteArray() << 0;
    QTest::newRow("negative limit takes nothing") << reply << -5 << QByteArray() << 0;
    QTest::newRow("limit 1 and a SYN") << "\x16" + reply << 1 << QByteArray() << 1;
    QTest::newRow("ETX first") << QByteArray("\x03\x01", 2) << 7 << QByteArray("\x03", 1) << 1;
    QTest::newRow("ETX at the last place") << QByteArray("\x01\x30\x03", 3) << 3
        << QByteArray("\x01\x30\x03", 3) << 3;
    QTest::newRow("only SYN never ends") << QByteArray(50, '\x16') << 7 << QByteArray() << 50;
}

void FramesTest::collector()
{
    QFETCH(QByteArray, input);
    QFETCH(int, limit);
    QFETCH(QByteArray, stored);
    QFETCH(int, consumed);

    unsigned char buffer[64];
    std::memset(buffer, 0xEE, sizeof buffer);
    ReplyCollector collector(buffer, limit);
    int taken = 0;
    while (collector.wantsMore() && taken < input.size())
        collector.feed(static_cast<unsigned char>(input[taken++]));

    QCOMPARE(taken, consumed);
    QCOMPARE(collector.storedCount(), int(stored.size()));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), int(stored.size())), stored);
    QCOMPARE(buffer[stored.size()], static_cast<unsigned char>(0xEE));
}

void FramesTest::devicePath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");

    QTest::newRow("COM1") << "COM1" << "/dev/ttyS0";
    QTest::newRow("COM12") << "COM12" << "/dev/ttyS11";
    QTest::newRow("COM0 is a name") << "COM0" << "/dev/COM0";
    QTest::newRow("COM alone") << "COM" << "/dev/COM";
    QTest::newRow("COM1x") << "COM1x" << "/dev/COM1x";
    QTest::newRow("ttyUSB0") << "ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("absolute") << "/dev/pts/4" << "/dev/pts/4";
    QTest::newRow("empty") << "" << "/dev/";
}

void FramesTest::devicePath()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(serialDevicePath(name.toStdString())), path);
}

void FramesTest::frameReader_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QByteArray>>("frames");

    const QByteArray a = WSerial::buildFrame('A', "5\t1.50\tabc\t\t\t0000000000000\t0\t10\t");
    const QByteArray b = WSerial::buildFrame('b', QString());
    const QByteArray etxInData = WSerial::buildFrame('A', QString("x\x03y"));
    QByteArray broken = a;
    broken[broken.size() - 2] = '0';
    const QByteArray longFrame = WSerial::buildFrame('A', QString(300, 'n'));

    QTest::newRow("two frames") << a + b << QList<QByteArray>{ a, b };
    QTest::newRow("junk around") << "xx\x03\x16" + a + "\x16zz" + b << QList<QByteArray>{ a, b };
    QTest::newRow("cut frame, then a whole one") << a.left(9) + b << QList<QByteArray>{ b };
    QTest::newRow("bad checksum skipped") << broken + b << QList<QByteArray>{ b };
    QTest::newRow("ETX inside data") << etxInData << QList<QByteArray>{ etxInData };
    QTest::newRow("length over 256") << longFrame << QList<QByteArray>{ longFrame };
    QTest::newRow("bad length digit") << QByteArray("\x01" "Ax0", 4) + b << QList<QByteArray>{ b };
}

void FramesTest::frameReader()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<QByteArray>, frames);

    FrameReader reader;
    QList<QByteArray> found;
    for (char byte : stream) {
        if (reader.feed(static_cast<unsigned char>(byte)))
            found << reader.frame();
    }
    QCOMPARE(found, frames);
}

void FramesTest::pluDataText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("stored");

    QTest::newRow("row 5") << "5\t1.5\tabc\t\t\t0000000000000\t0\t10\t" << true
                           << "5\t1.50\tabc\t\t\t0000000000000\t0\t10\t";
    QTest::newRow("Cyrillic") << QString("998\t2\tМолоко\tб\tв\t4600000000003\t1\t255\t") << true
                              << QString("998\t2.00\tМолоко\tб\tв\t4600000000003\t1\t255\t");
    QTest::newRow("number 999") << "999\t1\t\t\t\t0\t0\t0\t" << false << QString();
    QTest::newRow("negative number") << "-1\t1\t\t\t\t0\t0\t0\t" << false << QString();
    QTest::newRow("seven fields") << "1\t1\t\t\t\t0\t0\t" << false << QString();
    QTest::newRow("last TAB missing") << "1\t1\t\t\t\t0\t0\t0" << false << QString();
    QTest::newRow("price not a number") << "1\tx\t\t\t\t0\t0\t0\t" << false << QString();
    QTest::newRow("durability 256") << "1\t1\t\t\t\t0\t0\t256\t" << false << QString();
    QTest::newRow("empty") << "" << false << QString();
}

void FramesTest::pluDataText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, stored);

    SimPlu plu;
    QCOMPARE(SimPlu::fromDataText(text, plu), valid);
    if (valid)
        QCOMPARE(plu.dataText(), stored);
}

QTEST_APPLESS_MAIN(FramesTest)
#include "tst_frames.moc"
