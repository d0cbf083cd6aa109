#ifndef CURRENTSCALE_H
#define CURRENTSCALE_H

#include <QString>

// The scale the next command goes to: its name and the serial device it
// hangs on. The shop's scales choose it; the commands read it.
struct CurrentScale
{
    QString name;
    QString device;
};

#endif // CURRENTSCALE_H
