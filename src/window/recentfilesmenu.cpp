#include "recentfilesmenu.h"
#include "document.h"
#include "recentfiles.h"

#include <QDir>
#include <QMenu>
#include <QSettings>

RecentFilesMenu::RecentFilesMenu(QWidget *window, Document &document)
    : m_document(document), m_menu(new QMenu(tr("Open &Recent"), window))
{
    QObject::connect(m_menu, &QMenu::aboutToShow, m_menu, [this] { fill(); });
    fill();
}

// Each entry is numbered for the keyboard, 1 to 8.
void RecentFilesMenu::fill()
{
    m_menu->clear();
    const QStringList files = recentFiles(QSettings());
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files.at(i);
        QAction *action = m_menu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(
                QDir::toNativeSeparators(file).replace(QLatin1Char('&'), QLatin1String("&&"))));
        QObject::connect(action, &QAction::triggered, m_menu,
                         [this, file] { m_document.openRecent(file); });
    }
    if (files.isEmpty())
        m_menu->addAction(tr("No recent files"))->setEnabled(false);
}
