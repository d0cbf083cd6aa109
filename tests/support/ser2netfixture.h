#ifndef SER2NETFIXTURE_H
#define SER2NETFIXTURE_H

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

// Debian's ser2net, a real serial-to-network server, in front of a device
// (the simulated scale's pseudo-terminal): one raw TCP accepter and one
// Telnet accepter with RFC 2217, each on a free port of 127.0.0.1, from a
// private configuration in a temporary folder. The port starts at 1200
// baud, so that a client that wants 9600 must ask for it; the delay ser2net
// would put after each character's time is off.
class Ser2netFixture
{
public:
    explicit Ser2netFixture(const std::string &devicePath);
    ~Ser2netFixture();
    Ser2netFixture(const Ser2netFixture &) = delete;
    Ser2netFixture &operator=(const Ser2netFixture &) = delete;

    // Starts ser2net and waits until both accepters listen; false, with the
    // reason in errorText(), when ser2net is missing or does not come up.
    bool start();
    // Kills ser2net at once (SIGKILL): the connections it had end with it.
    // Safe from any thread.
    void kill();
    void stop();

    QString rawAddress() const;     // tcp://127.0.0.1:PORT
    QString telnetAddress() const;  // rfc2217://127.0.0.1:PORT
    std::string errorText() const { return m_error; }

private:
    bool writeConfiguration();

    std::string m_devicePath;
    std::string m_error;
    QTemporaryDir m_folder;
    int m_rawPort = 0;
    int m_telnetPort = 0;
    std::unique_ptr<QProcess> m_process;
    qint64 m_pid = 0;
};

// A TCP port of 127.0.0.1 that nothing listens on right now.
int freeLocalPort();
// Whether something listens on TCP port of 127.0.0.1 (from /proc/net/tcp).
bool isListening(int port);

#endif // SER2NETFIXTURE_H
