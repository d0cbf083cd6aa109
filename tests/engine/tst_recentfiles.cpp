// The recent files of the File menu as the settings store keeps them.

#include "recentfiles.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class RecentFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void withRecentFile_data();
    void withRecentFile();
    void keptInTheSettings();
};

void RecentFilesTest::withRecentFile_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("result");

    QTest::newRow("first") << QStringList() << "/shop/a.xml" << QStringList{ "/shop/a.xml" };
    QTest::newRow("newest first")
        << QStringList{ "/shop/a.xml" } << "/shop/b.xml"
        << QStringList{ "/shop/b.xml", "/shop/a.xml" };
    QTest::newRow("listed already moves up")
        << QStringList{ "/shop/a.xml", "/shop/b.xml", "/shop/c.xml" } << "/shop/c.xml"
        << QStringList{ "/shop/c.xml", "/shop/a.xml", "/shop/b.xml" };
    QTest::newRow("another spelling of one listed")
        << QStringList{ "/shop/a.xml", "/shop/b.xml" } << "/shop/../shop/b.xml"
        << QStringList{ "/shop/b.xml", "/shop/a.xml" };
    QStringList eight;
    for (int i = 1; i <= 8; ++i)
        eight << QStringLiteral("/shop/%1.xml").arg(i);
    QTest::newRow("the oldest goes beyond eight")
        << eight << "/shop/new.xml" << (QStringList{ "/shop/new.xml" } + eight.mid(0, 7));
}

void RecentFilesTest::withRecentFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, path);
    QFETCH(QStringList, result);
    QCOMPARE(::withRecentFile(files, path), result);
}

void RecentFilesTest::keptInTheSettings()
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath("settings.ini"), QSettings::IniFormat);
    rememberRecentFile(settings, "/shop/a.xml");
    rememberRecentFile(settings, "/shop/b.xml");
    QCOMPARE(recentFiles(settings), QStringList({ "/shop/b.xml", "/shop/a.xml" }));
    forgetRecentFile(settings, "/shop/b.xml");
    QCOMPARE(recentFiles(settings), QStringList({ "/shop/a.xml" }));
}

QTEST_GUILESS_MAIN(RecentFilesTest)
#include "tst_recentfiles.moc"
