#include "ser2netfixture.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString ser2netProgram()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (!found.isEmpty())
        return found;
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                          { QStringLiteral("/usr/sbin"), QStringLiteral("/sbin") });
}

QString connection(const char *accepter, int port, const std::string &device)
{
    return QStringLiteral("connection: &c%1\n"
                          "  accepter: %2,127.0.0.1,%1\n"
                          "  connector: serialdev,%3,1200n81,local\n"
                          "  options:\n"
                          "    chardelay: false\n"
                          "    kickolduser: false\n")
        .arg(port)
        .arg(QLatin1String(accepter), QString::fromStdString(device));
}

} // namespace

int freeLocalPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && getsockname(s, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

// Lines of /proc/net/tcp: "sl local rem st ...", local as 0100007F:PORT in
// hex, state 0A for a listening socket.
bool isListening(int port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
            return true;
    }
    return false;
}

Ser2netFixture::Ser2netFixture(const std::string &devicePath)
    : m_devicePath(devicePath)
{
}

Ser2netFixture::~Ser2netFixture()
{
    stop();
}

bool Ser2netFixture::writeConfiguration()
{
    m_rawPort = freeLocalPort();
    m_telnetPort = freeLocalPort();
    QFile config(m_folder.filePath(QStringLiteral("ser2net.yaml")));
    if (!m_folder.isValid() || m_rawPort == 0 || m_telnetPort == 0 || m_rawPort == m_telnetPort
        || !config.open(QIODevice::WriteOnly)) {
        m_error = "cannot write a ser2net configuration in a temporary folder";
        return false;
    }
    const QString text = QStringLiteral("%YAML 1.1\n---\n")
        + connection("tcp", m_rawPort, m_devicePath)
        + connection("telnet(rfc2217),tcp", m_telnetPort, m_devicePath);
    return config.write(text.toUtf8()) > 0 && config.flush();
}

bool Ser2netFixture::start()
{
    const QString program = ser2netProgram();
    if (program.isEmpty()) {
        m_error = "ser2net is not installed: these tests need Debian's ser2net "
                  "(apt-get install ser2net; ./dev.sh test installs it)";
        return false;
    }
    if (!writeConfiguration())
        return false;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(program, { QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"),
                                m_folder.filePath(QStringLiteral("ser2net.yaml")) });
    if (!m_process->waitForStarted(5000)) {
        m_error = "ser2net does not start: " + m_process->errorString().toStdString();
        return false;
    }
    m_pid = m_process->processId();
    if (!QTest::qWaitFor([this] { return isListening(m_rawPort) && isListening(m_telnetPort); },
                         10000)) {
        m_error = "ser2net does not listen on its ports within 10 s";
        return false;
    }
    return true;
}

void Ser2netFixture::kill()
{
    if (m_pid > 0)
        ::kill(pid_t(m_pid), SIGKILL);
}

void Ser2netFixture::stop()
{
    if (!m_process)
        return;
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    m_process.reset();
    m_pid = 0;
}

QString Ser2netFixture::rawAddress() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(m_rawPort);
}

QString Ser2netFixture::telnetAddress() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_telnetPort);
}
