#include "translators.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Owned by the application, so that they live exactly as long as it.
bool installTranslator(QCoreApplication &app, const QString &file, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(file, folder) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace

bool installTranslators(QCoreApplication &app)
{
    return installTranslators(app, QLocale::system());
}

bool installTranslators(QCoreApplication &app, const QLocale &locale)
{
    // Russian is the only translation there is; a user with another language
    // reads English rather than a mixture of Qt's buttons in one language and
    // Tarexa's texts in another, with English plurals ("1 PLU", "2 PLUs").
    if (locale.language() != QLocale::Russian) {
        installTranslator(app, QStringLiteral("tarexa_en"), QStringLiteral(":/translations"));
        return false;
    }
    // A missing Qt translation leaves the standard buttons in English, which
    // is no reason to withhold Tarexa's own texts.
    installTranslator(app, QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return installTranslator(app, QStringLiteral("tarexa_ru"), QStringLiteral(":/translations"));
}
