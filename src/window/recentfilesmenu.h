#ifndef RECENTFILESMENU_H
#define RECENTFILESMENU_H

#include <QCoreApplication>

class ActionState;
class Document;
class QMenu;
class QWidget;

// File > Open Recent: the files the document was last opened from or saved
// to, read from the settings store each time the menu opens, so that it
// is never out of date. With no recent file it is greyed, as editors
// show it, and never usable while a scale command runs. Its words are the
// main window's.
class RecentFilesMenu
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    RecentFilesMenu(QWidget *window, Document &document, ActionState &actions);

    QMenu *menu() const { return m_menu; }
    // The menu it sits in: the list is looked at each time that one opens.
    void placeIn(QMenu *fileMenu);

private:
    void fill();
    void updateEnabled();

    Document &m_document;
    ActionState &m_actions;
    QMenu *m_menu;
};

#endif // RECENTFILESMENU_H
