#ifndef CSVCOMMANDS_H
#define CSVCOMMANDS_H

#include <QCoreApplication>
#include <QList>

class ActionState;
class Document;
class FindField;
class PluSheet;
class QAction;
class QMainWindow;

// The spreadsheet exchange, the Find field, Go to PLU and the check before
// programming: the engine's CSV and check code and their dialogs, tied to
// the sheet and the document. Its words are the main window's.
class CsvCommands
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    CsvCommands(QMainWindow *window, PluSheet &sheet, Document &document, ActionState &actions);

    QAction *exportAction() const { return m_exportCsvAct; }
    QAction *importAction() const { return m_importCsvAct; }
    QAction *checkAction() const { return m_checkAct; }
    QAction *goToPluAction() const { return m_goToPluAct; }
    FindField *findField() const { return m_findField; }

    void exportCsv();
    void importCsvFile();
    void checkTable();
    void goToPlu();

private:
    QMainWindow *m_window;
    PluSheet &m_sheet;
    Document &m_document;
    QAction *m_exportCsvAct = nullptr;
    QAction *m_importCsvAct = nullptr;
    QAction *m_checkAct = nullptr;
    QAction *m_goToPluAct = nullptr;
    FindField *m_findField = nullptr;
};

#endif // CSVCOMMANDS_H
