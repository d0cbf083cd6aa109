#include "tarexa.h"
#include "comm.h"

void Tarexa::prog() {}
void Tarexa::read() {}
void Tarexa::delplu() {}
void Tarexa::rowToPlu(short) {}
short Tarexa::parsePlu(QString &) { return 0; }
