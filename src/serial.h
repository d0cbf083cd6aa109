#ifndef SERIAL_H
#define SERIAL_H

#endif // SERIAL_H
