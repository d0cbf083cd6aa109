#ifndef TRANSLATORS_H
#define TRANSLATORS_H

class QCoreApplication;
class QLocale;

// Installs Tarexa's Russian texts, and Qt's own for the standard buttons
// and dialogs, when the locale's language is Russian; any other language
// keeps the English texts the sources are written in. Returns whether
// Tarexa's translation was installed. Call once, after the application
// object exists and before any window is built.
bool installTranslators(QCoreApplication &app);
bool installTranslators(QCoreApplication &app, const QLocale &locale);

#endif // TRANSLATORS_H
