#ifndef TRANSLATED_H
#define TRANSLATED_H

#include <QString>

// The messages of the line, the column rules and the PLU file belong to the
// window's vocabulary (the context "Tarexa"), whoever shows them. text is
// marked for lupdate where it is written, with QT_TRANSLATE_NOOP("Tarexa", ...).
QString translated(const char *text);

#endif // TRANSLATED_H
