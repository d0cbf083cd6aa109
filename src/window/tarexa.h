#ifndef TAREXA_H
#define TAREXA_H

#include "actionstate.h"
#include "currentscale.h"
#include "plu.h"

#include <QDomElement>
#include <QMainWindow>
#include <QStringList>

#include <memory>

class ChangesCommands;
class CsvCommands;
class Document;
class EditCommands;
class OutcomeBoxes;
class PluSheet;
class PrintCommands;
class QMenu;
class QAction;
class QTableWidget;
class RecentFilesMenu;
class ScaleCommands;
class ScalesChoice;

// The program's only window: its actions, menus and tool bars over the
// sheet (which is the document), with each group of commands in an object
// of its own; its slots pass the user's commands on to them.
class Tarexa : public QMainWindow
{
    Q_OBJECT

public:
    // One PLU in text form (see plu.h); the window's own name for it.
    using PLU_STRING = ::PLU_STRING;

    // Why column col refuses text; empty when its rule accepts it.
    static QString refusalMessage(int col, const QString &text);

    Tarexa();
    ~Tarexa() override;

    QStringList devices() const;
    // The fixed names and every serial port this machine has.
    QStringList deviceChoices() const;
    QString currentScaleName() const { return m_scale.name; }
    // The device the next scale command uses, until the scales are reloaded.
    QString deviceName() const { return m_scale.device; }
    void setDeviceName(const QString &device) { m_scale.device = device; }
    // Settings' OK: the scale moves to device (a scale removed meanwhile
    // stays removed).
    void setScaleDevice(const QString &scale, const QString &device);

    // Document state, read by the tests and by the benchmarks.
    bool isTableModified() const;
    QString currentFileName() const;
    QTableWidget *pluTable() const;

protected:
    void closeEvent(QCloseEvent *ce) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void load(const QString &fileName);
    // A read reply (from its SOH on) put in its PLU's row; the PLU, or -1.
    short parsePlu(QString &str);
    QDomElement PluToNode(QDomDocument &d, const PLU_STRING &s);

private slots:
    void newDoc();
    void choose();
    void save();
    void saveAs();
    void config();
    void read();
    void prog();
    void delplu();
    void programChanges();
    void compareWithScale();
    void transferHistory();
    void editScales();
    void programChangesToAllScales();
    void about();
    void setModified(int row, int col);
    void setClicked(int row, int col);

private:
    void createActions();
    void createEditActions();
    void createMenus();
    void createEditMenu();
    void createToolBars();
    void addPrintActions(QMenu *fileMenu);
    void showStartStatus();
    QAction *newAction(const char *icon, const QString &text, const QString &shortcut,
                       const QString &tip, void (Tarexa::*slot)());

    PluSheet *table = nullptr;
    ActionState m_actions;
    CurrentScale m_scale;
    std::unique_ptr<Document> m_document;
    std::unique_ptr<OutcomeBoxes> m_boxes;
    std::unique_ptr<ScaleCommands> m_scaleCommands;
    std::unique_ptr<CsvCommands> m_csvCommands;
    std::unique_ptr<ChangesCommands> m_changesCommands;
    std::unique_ptr<ScalesChoice> m_scalesChoice;
    std::unique_ptr<PrintCommands> m_printCommands;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<RecentFilesMenu> m_recentFiles;

    QAction *newAct = nullptr, *openAct = nullptr, *saveAct = nullptr, *exitAct = nullptr;
    QAction *confAct = nullptr, *progAct = nullptr, *readAct = nullptr, *delAct = nullptr;
    QAction *aboutAct = nullptr;
    QAction *saveAsAct = nullptr;
};

#endif // TAREXA_H
