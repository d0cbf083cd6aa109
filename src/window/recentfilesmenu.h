#ifndef RECENTFILESMENU_H
#define RECENTFILESMENU_H

#include <QCoreApplication>

class Document;
class QMenu;
class QWidget;

// File > Open Recent: the files the document was last opened from or saved
// to, read from the settings store each time the menu opens, so that it
// is never out of date. Its words are the main window's.
class RecentFilesMenu
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    RecentFilesMenu(QWidget *window, Document &document);

    QMenu *menu() const { return m_menu; }

private:
    void fill();

    Document &m_document;
    QMenu *m_menu;
};

#endif // RECENTFILESMENU_H
