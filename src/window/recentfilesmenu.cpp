#include "recentfilesmenu.h"
#include "actionstate.h"
#include "document.h"
#include "recentfiles.h"

#include <QDir>
#include <QMenu>
#include <QSettings>

RecentFilesMenu::RecentFilesMenu(QWidget *window, Document &document, ActionState &actions)
    : m_document(document), m_actions(actions), m_menu(new QMenu(tr("Open &Recent"), window))
{
    m_actions.addUsableWhen(m_menu->menuAction(),
                            [] { return !recentFiles(QSettings()).isEmpty(); });
    QObject::connect(m_menu, &QMenu::aboutToShow, m_menu, [this] { fill(); });
    fill();
    updateEnabled();
}

void RecentFilesMenu::placeIn(QMenu *fileMenu)
{
    fileMenu->addMenu(m_menu);
    QObject::connect(fileMenu, &QMenu::aboutToShow, m_menu, [this] { updateEnabled(); });
}

void RecentFilesMenu::updateEnabled()
{
    if (!m_actions.isHolding())
        m_menu->menuAction()->setEnabled(!recentFiles(QSettings()).isEmpty());
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
}
