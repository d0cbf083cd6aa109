// POSIX backend of MSerial: termios, flock and poll.

#include "serial.h"
#include "serial_net.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <grp.h>
#include <netdb.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The port's settings as OpenDevice found them; CloseDevice puts them back.
// One record per thread: ports opened at once on different threads each get
// their own settings back.
struct SavedSettings
{
    termios lineSettings;
    int modemLines;         // TIOCM_DTR / TIOCM_RTS bits
    bool hasModemLines;     // false for devices such as pseudo-terminals
    long timerSlack;        // the thread's, in nanoseconds; -1 where there is none
};
thread_local SavedSettings savedSettings;

const int ControlledModemLines = TIOCM_DTR | TIOCM_RTS;

int fdOf(int32_t device)
{
    return static_cast<int>(device);
}

bool isNoSuchIoctl(int error)
{
    return error == EINVAL || error == ENOTTY;
}

speed_t speedOf(uint32_t baudRate)
{
    switch (baudRate) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B19200;
    }
}

bool baudRateOf(speed_t speed, uint32_t &baudRate)
{
    switch (speed) {
    case B300: baudRate = 300; return true;
    case B600: baudRate = 600; return true;
    case B1200: baudRate = 1200; return true;
    case B2400: baudRate = 2400; return true;
    case B4800: baudRate = 4800; return true;
    case B9600: baudRate = 9600; return true;
    case B19200: baudRate = 19200; return true;
    case B38400: baudRate = 38400; return true;
    case B57600: baudRate = 57600; return true;
    case B115200: baudRate = 115200; return true;
    default: return false;
    }
}

tcflag_t dataBitsFlag(uint8_t dataBits)
{
    switch (dataBits) {
    case 7: return CS7;
    default: return CS8;
    }
}

tcflag_t stopBitsFlag(uint8_t stopBits)
{
    switch (stopBits) {
    case 2: return CSTOPB;
    default: return 0;
    }
}

tcflag_t parityFlags(uint8_t parity)
{
    switch (parity) {
    case 1: return PARENB | PARODD;
    case 2: return PARENB;
    default: return 0;
    }
}

// Raw 8-bit transfer: no echo, no line editing, no byte translation, no
// XON/XOFF; the modem status lines do not gate the port (CLOCAL).
termios rawLineSettings()
{
    termios t;
    std::memset(&t, 0, sizeof t);
    t.c_cflag = CS8 | CREAD | CLOCAL;
    // read() returns what is there; ReadBytes waits with poll() instead.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B19200);
    cfsetospeed(&t, B19200);
    return t;
}

bool applyLineSettings(int fd, const termios &t)
{
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool changeModemLines(int fd, int lines, bool on)
{
    return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines) == 0;
}

// The error of a system call that just failed, for LastError(); a step
// that failed without the system saying why counts as an I/O error.
int failedCallError()
{
    return errno ? errno : EIO;
}

int millisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Takes what a failing open step left behind: errno, the descriptor.
class OpenAttempt
{
public:
    explicit OpenAttempt(const char *path)
        : m_fd(::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)),
          m_error(m_fd < 0 ? errno : 0)
    {
    }
    ~OpenAttempt()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenAttempt(const OpenAttempt &) = delete;
    OpenAttempt &operator=(const OpenAttempt &) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }
    bool ok() const { return m_error == 0; }
    bool check(bool stepWorked)
    {
        if (!stepWorked && m_error == 0)
            m_error = failedCallError();
        return ok();
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
    int m_error;
};

bool lockExclusively(int fd)
{
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    // TIOCEXCL keeps out later opens by other users; a device that is not
    // a terminal in the kernel's sense may not know it.
    return ioctl(fd, TIOCEXCL) == 0 || isNoSuchIoctl(errno);
}

bool readModemLines(int fd, SavedSettings &saved)
{
    saved.hasModemLines = ioctl(fd, TIOCMGET, &saved.modemLines) == 0;
    return saved.hasModemLines || isNoSuchIoctl(errno);
}

bool raiseDtrAndRts(int fd, bool hasModemLines)
{
    if (!hasModemLines)
        return true;
    return changeModemLines(fd, ControlledModemLines, true) || isNoSuchIoctl(errno);
}

bool makeBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

void restoreModemLines(int fd, const SavedSettings &saved)
{
    if (!saved.hasModemLines)
        return;
    const int on = saved.modemLines & ControlledModemLines;
    const int off = ~saved.modemLines & ControlledModemLines;
    if (on)
        changeModemLines(fd, on, true);
    if (off)
        changeModemLines(fd, off, false);
}

// While a port is open its thread waits for line pauses and reply bytes;
// Linux lets such waits end up to the thread's timer slack (50 us by
// default) late, which adds up over a transfer's thousands of waits. The
// slack the thread had is given back when the port closes.
long preciseTimers()
{
#ifdef __linux__
    const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (slack >= 0 && prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0) == 0)
        return slack;
#endif
    return -1;
}

void restoreTimerSlack(long slack)
{
#ifdef __linux__
    if (slack > 0)
        prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack), 0, 0, 0);
#else
    (void)slack;
#endif
}

} // namespace

std::string serialDevicePath(const std::string &name)
{
    if (serialIsNetworkName(name))
        return name;
    if (!name.empty() && name[0] == '/')
        return name;
    if (name.size() > 3 && name.compare(0, 3, "COM") == 0
        && name.find_first_not_of("0123456789", 3) == std::string::npos) {
        const long n = std::strtol(name.c_str() + 3, nullptr, 10);
        if (n >= 1)
            return "/dev/ttyS" + std::to_string(n - 1);
    }
    return "/dev/" + name;
}

bool MSerial::openLocal(const char *theName)
{
    OpenAttempt attempt(theName);
    SavedSettings found;
    const termios raw = rawLineSettings();
    bool applied = false;
    if (attempt.ok()
        && attempt.check(lockExclusively(attempt.fd()))
        && attempt.check(tcgetattr(attempt.fd(), &found.lineSettings) == 0)
        && attempt.check(readModemLines(attempt.fd(), found))
        && attempt.check(applied = applyLineSettings(attempt.fd(), raw))
        && attempt.check(raiseDtrAndRts(attempt.fd(), found.hasModemLines))
        && attempt.check(makeBlocking(attempt.fd()))) {
        found.timerSlack = preciseTimers();
        savedSettings = found;
        theDevice = attempt.release();
        m_lastError = 0;
        return true;
    }
    if (applied)
        applyLineSettings(attempt.fd(), found.lineSettings);
    m_lastError = attempt.error();
    return false;
}

bool MSerial::configureLocal(uint32_t baudRate, uint8_t dataBits, uint8_t stopBits,
                            uint8_t parity)
{
    const int fd = fdOf(theDevice);
    const SerialLineSettings s = serialLineSettings(baudRate, dataBits, stopBits, parity);
    termios t;
    bool configured = tcgetattr(fd, &t) == 0;
    if (configured) {
        t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD);
        t.c_cflag |= dataBitsFlag(s.dataBits) | stopBitsFlag(s.stopBits) | parityFlags(s.parity);
        configured = cfsetispeed(&t, speedOf(s.baudRate)) == 0
                  && cfsetospeed(&t, speedOf(s.baudRate)) == 0 && applyLineSettings(fd, t);
    }
    m_lastError = configured ? 0 : failedCallError();
    return configured;
}

unsigned MSerial::readLocal(unsigned char *theBytes, unsigned maxBytes, unsigned timeOut)
{
    const int fd = fdOf(theDevice);
    const unsigned waitMs = timeOut / 1000 > 0 ? timeOut / 1000 : 1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    unsigned got = 0;
    while (got < maxBytes) {
        pollfd p = { fd, POLLIN, 0 };
        const int ready = poll(&p, 1, millisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        if (!(p.revents & POLLIN))
            break;  // hung up or in error: nothing more will come
        const ssize_t n = ::read(fd, theBytes + got, maxBytes - got);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;  // readable but empty: the device went away
        got += static_cast<unsigned>(n);
    }
    for (unsigned i = 0; i < got; ++i)
        traceReceived(theBytes[i]);
    return got;
}

int32_t MSerial::writeLocal(const unsigned char *theBytes, unsigned numBytes)
{
    unsigned written = 0;
    int error = 0;
    while (!suppressWrite && written < numBytes) {
        const ssize_t n = ::write(fdOf(theDevice), theBytes + written, numBytes - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? failedCallError() : EIO;
            break;
        }
        written += static_cast<unsigned>(n);
    }
    // Like a synchronous write on Windows, return once the bytes are on
    // their way, so that a purge right after cannot drop the command.
    if (written > 0)
        tcdrain(fdOf(theDevice));
    for (unsigned i = 0; i < numBytes; ++i)
        traceSent(theBytes[i]);
    m_lastError = error;
    return static_cast<int32_t>(written);
}

void MSerial::flushLocal()
{
    if (!suppressWrite)
        tcflush(fdOf(theDevice), TCIOFLUSH);
}

void MSerial::closeLocal()
{
    const int fd = fdOf(theDevice);
    applyLineSettings(fd, savedSettings.lineSettings);
    restoreModemLines(fd, savedSettings);
    // The exclusive flag belongs to the terminal, not to this descriptor:
    // while anyone else keeps the device open it would outlive the close.
    ioctl(fd, TIOCNXCL);
    ::close(fd);
    restoreTimerSlack(savedSettings.timerSlack);
}

bool MSerial::byteWaitingLocal()
{
    int waiting = 0;
    return ioctl(fdOf(theDevice), FIONREAD, &waiting) == 0 && waiting > 0;
}

void MSerial::configurationLocal(uint32_t &baudRate, uint8_t &dataBits,
                                uint8_t &stopBits, uint8_t &parity)
{
    termios t;
    if (tcgetattr(fdOf(theDevice), &t) != 0)
        return;
    baudRateOf(cfgetospeed(&t), baudRate);
    switch (t.c_cflag & CSIZE) {
    case CS5: dataBits = 5; break;
    case CS6: dataBits = 6; break;
    case CS7: dataBits = 7; break;
    default: dataBits = 8; break;
    }
    stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
#ifdef CMSPAR
    if (t.c_cflag & CMSPAR)
        return;     // mark or space parity
#endif
    if (!(t.c_cflag & PARENB))
        parity = 0;
    else
        parity = (t.c_cflag & PARODD) ? 1 : 2;
}

void MSerial::flowControlLocal(bool wantControl)
{
    const int fd = fdOf(theDevice);
    termios t;
    if (tcgetattr(fd, &t) == 0) {
        if (wantControl)
            t.c_cflag |= CRTSCTS;
        else
            t.c_cflag &= ~CRTSCTS;
        applyLineSettings(fd, t);
    }
}

void MSerial::deviceStatusLocal(bool &CTS, bool &DCD)
{
    int lines = 0;
    if (ioctl(fdOf(theDevice), TIOCMGET, &lines) != 0)
        lines = 0;
    CTS = lines & TIOCM_CTS;
    DCD = lines & TIOCM_CAR;
}

void MSerial::setDtrLocal(bool DTR)
{
    changeModemLines(fdOf(theDevice), TIOCM_DTR, DTR);
}

void MSerial::setRtsLocal(bool RTS)
{
    changeModemLines(fdOf(theDevice), TIOCM_RTS, RTS);
}

std::string serialErrorText(int error)
{
    if (error < 0)
        return gai_strerror(error);
    return std::strerror(error);
}

bool serialIsPermissionError(int error)
{
    return error == EACCES || error == EPERM;
}

bool serialIsBusyError(int error)
{
    return error == EBUSY || error == EWOULDBLOCK || error == EAGAIN;
}

std::string serialDeviceGroup(const std::string &path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return std::string();
    const group *owner = getgrgid(info.st_gid);
    return owner ? std::string(owner->gr_name) : std::string();
}

// ---- Port enumeration ------------------------------------------------------

namespace {

namespace fs = std::filesystem;

bool startsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string firstLineOf(const fs::path &path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return line;
}

// Serial UARTs that the kernel registers without hardware behind them
// report the port type 0 ("unknown"); real ones have a driver and a type.
bool isRealPort(const std::string &sysFolder, const std::string &name)
{
    std::error_code error;
    const fs::path tty = fs::path(sysFolder) / "class" / "tty" / name;
    if (!fs::exists(tty / "device" / "driver", error))
        return false;
    if (!startsWith(name, "ttyS"))
        return true;
    if (!fs::exists(tty / "type", error))
        return false;
    return firstLineOf(tty / "type") != "0";
}

bool isCoveredByComName(const std::string &name)
{
    const std::string number = name.substr(4);
    return startsWith(name, "ttyS") && number.size() == 1 && number[0] >= '0' && number[0] < '8';
}

// Entries that are not folders, sorted by name; none when the folder is
// missing or unreadable.
std::vector<fs::path> nonFolderEntries(const fs::path &folder)
{
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_directory(error))
            entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace

// Every process's open descriptors are links under /proc/PID/fd; those of
// other users' processes can be read only by root, which is why the list
// may be empty while the port is busy.
std::vector<std::string> serialPortUsers(const std::string &path, const std::string &procFolder)
{
    std::vector<std::string> users;
    std::error_code error;
    const fs::path device = fs::canonical(path, error);
    if (error)
        return users;
    for (fs::directory_iterator it(procFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos
            || pid == std::to_string(getpid()))
            continue;
        std::error_code fdError;
        for (fs::directory_iterator fd(it->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
             fd.increment(fdError)) {
            std::error_code linkError;
            if (fs::read_symlink(fd->path(), linkError) == device && !linkError) {
                users.push_back(firstLineOf(it->path() / "comm") + " (process " + pid + ")");
                break;
            }
        }
    }
    return users;
}

std::string serialPortIdentity(const std::string &path, const std::string &devFolder)
{
    if (serialIsNetworkName(path))
        return serialNetworkIdentity(path);
    std::error_code error;
    const fs::path device = fs::canonical(path, error);
    if (error)
        return path;
    for (const fs::path &link : nonFolderEntries(fs::path(devFolder) / "serial" / "by-id")) {
        std::error_code linkError;
        if (fs::canonical(link, linkError) == device && !linkError)
            return fs::absolute(link).lexically_normal().string();
    }
    return device.string();
}

std::vector<std::string> serialPortsPresent(const std::string &devFolder,
                                            const std::string &sysFolder)
{
    std::vector<std::string> ports;
    std::vector<std::string> linkedDevices;
    for (const fs::path &link : nonFolderEntries(fs::path(devFolder) / "serial" / "by-id")) {
        ports.push_back(fs::absolute(link).string());
        std::error_code error;
        linkedDevices.push_back(fs::read_symlink(link, error).filename().string());
    }
    const std::vector<fs::path> devices = nonFolderEntries(devFolder);
    for (const char *prefix : { "ttyUSB", "ttyACM", "ttyS" }) {
        std::vector<std::string> names;
        for (const fs::path &device : devices)
            if (startsWith(device.filename().string(), prefix))
                names.push_back(device.filename().string());
        // ttyUSB2 before ttyUSB10
        std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        for (const std::string &name : names) {
            const bool linked = std::find(linkedDevices.begin(), linkedDevices.end(), name)
                             != linkedDevices.end();
            if (!linked && !isCoveredByComName(name) && isRealPort(sysFolder, name))
                ports.push_back(name);
        }
    }
    return ports;
}
