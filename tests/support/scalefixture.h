#ifndef SCALEFIXTURE_H
#define SCALEFIXTURE_H

#include "comm.h"
#include "plu.h"
#include "scale.h"
#include "scalesim.h"

#include <QString>

#include <memory>
#include <string>
#include <thread>

#include <termios.h>

// The simulated scale on a pseudo-terminal, served from a thread of the test
// process. deviceName() is what Tarexa is configured with to reach it.
class ScaleFixture
{
public:
    explicit ScaleFixture(const ScaleSimOptions &options = ScaleSimOptions());
    ~ScaleFixture();
    ScaleFixture(const ScaleFixture &) = delete;
    ScaleFixture &operator=(const ScaleFixture &) = delete;

    // Opens the terminal and starts serving; false (with a test failure
    // message in errorText()) when the terminal cannot be made.
    bool start();
    void stop();

    QString deviceName() const;
    std::string devicePath() const { return m_sim.devicePath(); }
    std::string errorText() const { return m_sim.errorText(); }
    ScaleSim &sim() { return m_sim; }

    // The command byte of every frame the scale received, in order.
    QByteArray commandBytes() const;
    // Waits until the scale has received count frames in all.
    bool waitForFrames(int count, int timeoutMs = 5000);

private:
    ScaleSim m_sim;
    std::thread m_server;
};

// The simulated scale of a test that gives each test function a fresh one:
// init() starts it, cleanup() stops it, and a test may replace it meanwhile.
class ScalePerTest
{
public:
    // A new scale in place of the one before; false (see errorText()) when
    // its terminal cannot be made.
    bool start(const ScaleSimOptions &options = ScaleSimOptions());
    void stop() { m_scale.reset(); }
    std::string errorText() const { return m_scale ? m_scale->errorText() : std::string(); }

    ScaleFixture &operator*() const { return *m_scale; }
    ScaleFixture *operator->() const { return m_scale.get(); }
    // For a test that hangs the scale up in the middle of a command.
    std::unique_ptr<ScaleFixture> &owner() { return m_scale; }

private:
    std::unique_ptr<ScaleFixture> m_scale;
};

// The waits of the scale commands cut short for the simulated scale, which
// answers at once: every rule of the commands still holds, a silent scale
// is given up on in a fifth of a second, and the pauses cost next to
// nothing.
ScaleTiming quickTiming();

// The speed the line of a pseudo-terminal is set to, through a descriptor of
// the test's own; with a speed, sets it first. 0 when the line cannot be used.
speed_t lineSpeed(const std::string &path, speed_t set = 0);

// Descriptors of this process that lead to the device at devicePath. The
// simulator, running in this process, holds one of its own: a command that
// closed its port leaves the count as it found it.
int descriptorsOn(const std::string &devicePath);

// A PLU for the simulated scale: price 2.00, the name "PLU n", durability 5.
SimPlu plainSimPlu(int number);
// A PLU for the simulated scale at price 1.50, durability 10, with a barcode
// (none when it is empty).
SimPlu barcodedSimPlu(int number, const QString &name = "abc",
                      const QString &barcode = "4600000000017");
// A row of a table as the scale holds it once programmed.
SimPlu simPluOf(int number, const PLU_STRING &row);

// A port opened on the simulated scale and set up as a scale command sets
// it up (9600 baud, 8 data bits, one stop bit, no parity).
struct ScaleLine
{
    WSerial port;
    bool open = false;

    // Gives the scale its options, then opens the port; false on failure.
    bool openOn(ScaleFixture &scale, const ScaleSimOptions &options = ScaleSimOptions());
    void close();
};

#endif // SCALEFIXTURE_H
