// Where Tarexa writes a file: tarexa-cli's read -o and convert, and the
// window's Save and Export, replace only a regular file or make a new one,
// leave anything else of that name alone, and never leave a file that is
// neither the old one nor the new one, not even in a folder that takes no
// new file on a disk that is nearly full.

#include "modalanswerer.h"
#include "plutable.h"
#include "tarexa.h"
#include "testapp.h"
#include "xml.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include <grp.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const int FinishMs = 60000;
const QString NotRegular = "Could not write to @: not a regular file. Tarexa writes only over a"
                           " regular file; choose another name.";
const QString UnsafeFolder = "The folder of @ does not let Tarexa save safely. Save the file in"
                             " another folder.";
const QString DiskFull = "Could not write to @: No space left on device. Choose another folder"
                         " or free some space, and try again.";

struct Run
{
    int status = -1;
    QByteArray err;
};

struct User
{
    uid_t uid = 0;
    gid_t gid = 0;
};

// The unprivileged account every Debian system has.
std::optional<User> nobody()
{
    const passwd *account = ::getpwnam("nobody");
    if (!account)
        return std::nullopt;
    return User{ account->pw_uid, account->pw_gid };
}

// What stands at path, down to the inode, the device numbers and where a
// link leads, so that a test sees whether anything replaced it.
QString identity(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("nothing");
    QString text = QStringLiteral("mode %1, inode %2, device %3:%4, %5 bytes")
                       .arg(info.st_mode, 0, 8).arg(info.st_ino)
                       .arg(major(info.st_rdev)).arg(minor(info.st_rdev)).arg(info.st_size);
    if (S_ISLNK(info.st_mode)) {
        const QString target = QFile::symLinkTarget(path);
        text += " -> " + target + " (" + identity(target) + ")";
    }
    return text;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                  | QDir::NoDotAndDotDot);
}

// Makes something that is no regular file at path; false, with why, where
// the machine cannot (a device node needs root).
bool makeNoRegularFile(const QString &kind, const QString &path, QString &why)
{
    const QByteArray name = QFile::encodeName(path);
    bool made = false;
    if (kind == "FIFO") {
        made = ::mkfifo(name.constData(), 0644) == 0;
    } else if (kind == "device node") {
        // The numbers of the null device: even a write to it would lose nothing.
        made = ::mknod(name.constData(), S_IFCHR | 0644, makedev(1, 3)) == 0;
        if (!made && errno == EPERM) {
            why = "making a device node needs root (CAP_MKNOD); run the test as root, as CI does";
            return false;
        }
    } else if (kind == "folder") {
        made = QDir().mkdir(path);
    } else if (kind == "socket") {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (size_t(name.size()) >= sizeof address.sun_path) {
            why = "the socket's path is too long: " + path;
            return false;
        }
        std::copy(name.begin(), name.end(), address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        made = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
    } else if (kind == "link to a FIFO") {
        made = ::mkfifo(QFile::encodeName(path + ".fifo").constData(), 0644) == 0
            && QFile::link(QFileInfo(path).fileName() + ".fifo", path);
    }
    if (!made)
        why = QStringLiteral("could not make a %1 at %2: %3")
                  .arg(kind, path, qt_error_string(errno));
    return made;
}

// A tmpfs of its own, mounted for one test and gone with the object: a
// small file system the test can fill up without touching the machine's.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const QString &mountPoint) : m_path(mountPoint)
    {
        if (!QDir().mkpath(mountPoint)
            || ::mount("tarexa-test", QFile::encodeName(mountPoint).constData(), "tmpfs",
                       MS_NOSUID | MS_NODEV | MS_NOEXEC, "size=256k,mode=0755") != 0) {
            m_error = "this machine lets no tmpfs be mounted here: " + qt_error_string(errno);
            return;
        }
        m_mounted = true;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    QString error() const { return m_error; }

    qint64 freeBytes() const
    {
        struct statvfs info {};
        if (::statvfs(QFile::encodeName(m_path).constData(), &info) != 0)
            return -1;
        return qint64(info.f_bavail) * qint64(info.f_frsize);
    }

    // Fills the file system up with a file of its own until at most left
    // bytes are free.
    bool leaveFree(qint64 left)
    {
        QFile filler(m_path + "/filler");
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray page(4096, '\0');
        while (freeBytes() > left) {
            if (filler.write(page) != page.size() || !filler.flush())
                return false;
        }
        return true;
    }

private:
    QString m_path;
    QString m_error;
    bool m_mounted = false;
};

// The file system sees the calling thread as user while the object lives
// (Linux keeps this per thread), root's permission overrides included: the
// window, in this process, then writes as that user does.
class FileSystemUser
{
public:
    explicit FileSystemUser(const User &user)
        : m_uid(::setfsuid(user.uid)), m_gid(::setfsgid(user.gid)) {}
    ~FileSystemUser()
    {
        ::setfsgid(m_gid);
        ::setfsuid(m_uid);
    }
    FileSystemUser(const FileSystemUser &) = delete;
    FileSystemUser &operator=(const FileSystemUser &) = delete;

private:
    uid_t m_uid;
    gid_t m_gid;
};

// A table large enough that its file cannot fit into what the small file
// system has left, even with the old file's space freed.
PluTable largeTable()
{
    PluTable table;
    for (int row = 0; row < 200; ++row)
        table.setRow(row, { QString::number(row), "1.25", "A name of 19 chars.",
                            "Second name line 2.", "Third name line 33.", "4600000000008", "30" });
    return table;
}

} // namespace

class OutputFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void toolLeavesAnythingButARegularFileAlone_data();
    void toolLeavesAnythingButARegularFileAlone();
    void windowLeavesAnythingButARegularFileAlone_data();
    void windowLeavesAnythingButARegularFileAlone();
    void nearlyFullFileSystem_data();
    void nearlyFullFileSystem();

private:
    Run runTool(const QStringList &arguments, const std::optional<User> &user = std::nullopt);
    void writeInput(const PluTable &table);
    // A window holding table, as typed in; Save goes to fileName.
    std::unique_ptr<Tarexa> windowWith(const PluTable &table, const QString &fileName);
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModalAnswerer> m_answerer;
};

void OutputFilesTest::initTestCase()
{
    setUpTestApplication();
    QApplication::setQuitOnLastWindowClosed(false);
}

void OutputFilesTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Another user reaches the files of the test through this folder.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner
                                  | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther
                                  | QFile::ReadGroup | QFile::ExeGroup));
    QVERIFY(QDir().mkdir(path("home")));
    QVERIFY(QDir().mkdir(path("out")));
    m_answerer = std::make_unique<ModalAnswerer>();
}

void OutputFilesTest::cleanup()
{
    m_answerer.reset();
    m_dir.reset();
}

// The tool with a settings store and a database of the test's own; as
// user, the tool runs as that user from a copy of its own, so that a build
// folder the user cannot reach does not matter.
Run OutputFilesTest::runTool(const QStringList &arguments, const std::optional<User> &user)
{
    QString program = TAREXA_CLI;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", path("home"));
    environment.insert("XDG_CONFIG_HOME", path("home"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    if (user) {
        program = path("tarexa-cli");
        if (!QFile::exists(program) && !QFile::copy(TAREXA_CLI, program))
            return Run();
        QFile::setPermissions(program, QFile::permissions(TAREXA_CLI) | QFile::ExeOther
                                           | QFile::ReadOther);
        if (::chown(QFile::encodeName(path("home")).constData(), user->uid, user->gid) != 0)
            return Run();
        const User as = *user;
        process.setChildProcessModifier([as] {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(as.gid, as.gid, as.gid) != 0
                || ::setresuid(as.uid, as.uid, as.uid) != 0)
                ::_exit(125);
        });
    }
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(FinishMs))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.err = process.readAllStandardError();
    return result;
}

void OutputFilesTest::writeInput(const PluTable &table)
{
    QByteArray bytes;
    QVERIFY(serialisePluTable(table, bytes));
    writeFileBytes(path("in.xml"), bytes);
}

std::unique_ptr<Tarexa> OutputFilesTest::windowWith(const PluTable &table, const QString &fileName)
{
    auto window = std::make_unique<Tarexa>();
    if (!fileName.isEmpty()) {
        // A first save names the document; the test then puts in place
        // what the next save meets.
        m_answerer->chooseFile(fileName);
        triggerAction(window.get(), "&Save");
        QFile::remove(fileName);
    }
    for (int row : table.rowsInUse())
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            typeInto(window->pluTable(), row, col, table.text(row, col));
    return window;
}

// Whatever stands at OUT, the tool says so and leaves it as it was; read
// says it before it reads the scale (the device here does not even exist).
void OutputFilesTest::toolLeavesAnythingButARegularFileAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("arguments");     // @ for OUT
    QTest::addColumn<QString>("output");

    const QStringList read = { "--device", "/nonexistent/ttyS9", "read", "-o", "@" };
    const QStringList convert = { "convert", "in.xml", "@" };
    for (const QString kind : { "FIFO", "device node", "folder", "socket", "link to a FIFO" }) {
        QTest::newRow(qPrintable(kind + ": read -o")) << kind << read << "out.xml";
        for (const QString output : { "out.xml", "out.csv", "out.xlsx" })
            QTest::newRow(qPrintable(kind + ": convert to " + output)) << kind << convert << output;
    }
}

void OutputFilesTest::toolLeavesAnythingButARegularFileAlone()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    PluTable table;
    table.setRow(4, { "4", "1.00", "Tea", "", "", "", "" });
    writeInput(table);
    const QString out = path("out/" + output);
    QString why;
    if (!makeNoRegularFile(kind, out, why)) {
        if (kind == "device node" && ::geteuid() != 0)
            QSKIP(qPrintable(why));
        QFAIL(qPrintable(why));
    }
    const QString before = identity(out);
    const QStringList inFolder = entries(path("out"));
    for (QString &argument : arguments)
        argument.replace("@", out);

    const Run run = runTool(arguments);
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.contains(QString(NotRegular).replace("@", out).toUtf8()), run.err);
    QCOMPARE(identity(out), before);
    QCOMPARE(entries(path("out")), inFolder);
}

// Save over a document whose file was replaced meanwhile, and Export to a
// name chosen in the dialog (whose own question about replacing it is
// answered Yes), are refused with the reason, and the document keeps its
// unsaved changes.
void OutputFilesTest::windowLeavesAnythingButARegularFileAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("output");

    for (const QString kind : { "FIFO", "device node", "socket", "link to a FIFO" }) {
        QTest::newRow(qPrintable(kind + ", Save")) << kind << "&Save" << "doc.xml";
        QTest::newRow(qPrintable(kind + ", Export CSV")) << kind << "&Export..." << "out.csv";
        QTest::newRow(qPrintable(kind + ", Export .xlsx")) << kind << "&Export..." << "out.xlsx";
    }
}

void OutputFilesTest::windowLeavesAnythingButARegularFileAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, command);
    QFETCH(QString, output);
    const QString out = path("out/" + output);
    PluTable table;
    table.setRow(4, { "4", "1.00", "Tea", "", "", "", "" });
    const std::unique_ptr<Tarexa> window = windowWith(table, command == "&Save" ? out : QString());
    QString why;
    if (!makeNoRegularFile(kind, out, why)) {
        if (kind == "device node" && ::geteuid() != 0)
            QSKIP(qPrintable(why));
        QFAIL(qPrintable(why));
    }
    const QString before = identity(out);
    const QStringList inFolder = entries(path("out"));
    const int boxesBefore = int(m_answerer->boxes.size());
    if (command != "&Save") {
        m_answerer->chooseFile(out);
        m_answerer->pressButton(QMessageBox::Yes);
    }

    triggerAction(window.get(), command);

    QCOMPARE(window->statusBar()->currentMessage(), "Could not write to " + out);
    QCOMPARE(m_answerer->texts().mid(boxesBefore).last(), QString(NotRegular).replace("@", out));
    QVERIFY(window->isTableModified());
    QCOMPARE(identity(out), before);
    QCOMPARE(entries(path("out")), inFolder);
}

// A folder the user may not write to, holding a file the user may write,
// on a file system with less room left than the new file needs: the write
// used to go into the file itself and cut it off where the disk filled up.
// Now it is refused, and the old file stays whole; where the folder does
// take the temporary file, the full disk fails that one and the old file
// stays whole too. The tool runs as an unprivileged user, and the window
// writes as one: root would pass the folder's permissions.
void OutputFilesTest::nearlyFullFileSystem_data()
{
    QTest::addColumn<QString>("command");       // "convert", "read", or the window's action
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<QString>("message");       // @ for the output file

    QTest::newRow("read-only folder: convert to a PLU file")
        << "convert" << "prices.xml" << false << UnsafeFolder;
    QTest::newRow("read-only folder: convert to CSV")
        << "convert" << "prices.csv" << false << UnsafeFolder;
    QTest::newRow("read-only folder: convert to .xlsx")
        << "convert" << "prices.xlsx" << false << UnsafeFolder;
    QTest::newRow("read-only folder: read -o") << "read" << "prices.xml" << false << UnsafeFolder;
    QTest::newRow("read-only folder: window Save")
        << "&Save" << "prices.xml" << false << UnsafeFolder;
    QTest::newRow("read-only folder: window Export")
        << "&Export..." << "prices.csv" << false << UnsafeFolder;
    QTest::newRow("full disk: convert") << "convert" << "prices.xml" << true << DiskFull;
    QTest::newRow("full disk: window Save") << "&Save" << "prices.xml" << true << DiskFull;
    QTest::newRow("full disk: window Export") << "&Export..." << "prices.csv" << true << DiskFull;
}

void OutputFilesTest::nearlyFullFileSystem()
{
    QFETCH(QString, command);
    QFETCH(QString, output);
    QFETCH(bool, folderWritable);
    QFETCH(QString, message);
    const std::optional<User> user = nobody();
    if (!user)
        QSKIP("this machine has no user named nobody to write as");
    if (::geteuid() != 0)
        QSKIP("writing as another user needs root; run the test as root, as CI does");
    // Where root may not mount (a container without the right to), the
    // read-only folder is still tested, in the test's own folder.
    SmallFileSystem disk(path("disk"));
    const bool small = disk.error().isEmpty();
    if (!small && folderWritable)
        QSKIP(qPrintable(disk.error()));
    const QString shop = path("disk/shop");
    QVERIFY(QDir().mkpath(shop));
    if (folderWritable)
        QVERIFY(::chown(QFile::encodeName(shop).constData(), user->uid, user->gid) == 0);
    const QString out = shop + "/" + output;
    const QByteArray old = "<PLU_DataBase><PLU Number=\"1\" Price=\"2.00\"/></PLU_DataBase>\n";
    writeFileBytes(out, old);
    QVERIFY(::chown(QFile::encodeName(out).constData(), user->uid, user->gid) == 0);
    const PluTable table = largeTable();
    writeInput(table);
    QByteArray large;
    QVERIFY(serialisePluTable(table, large));
    if (small) {
        QVERIFY(disk.leaveFree(4096));
        QVERIFY2(disk.freeBytes() + 4096 < large.size() / 2, "the new file would fit");
    }
    message.replace("@", out);

    if (command == "convert" || command == "read") {
        const QStringList arguments = command == "convert"
            ? QStringList{ "convert", path("in.xml"), out }
            : QStringList{ "--device", "/nonexistent/ttyS9", "read", "-o", out };
        const Run run = runTool(arguments, user);
        QVERIFY2(run.status != 125, "could not run the tool as nobody");
        QCOMPARE(run.status, 3);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err);
    } else {
        // A document without a name: Save asks for one, as Export does.
        const std::unique_ptr<Tarexa> window = windowWith(table, QString());
        m_answerer->chooseFile(out);
        m_answerer->pressButton(QMessageBox::Yes);      // the dialog's "replace it?"
        {
            const FileSystemUser asUser(*user);
            triggerAction(window.get(), command);
        }
        QCOMPARE(m_answerer->texts().last(), message);
        QCOMPARE(window->statusBar()->currentMessage(), "Could not write to " + out);
        QVERIFY(window->isTableModified());
    }
    QCOMPARE(fileBytes(out), old);
    QCOMPARE(entries(shop), QStringList(output));
}

QTEST_MAIN(OutputFilesTest)
#include "tst_outputfiles.moc"
