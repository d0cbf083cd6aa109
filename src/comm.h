#ifndef COMM_H
#define COMM_H

#endif // COMM_H
