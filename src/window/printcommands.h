#ifndef PRINTCOMMANDS_H
#define PRINTCOMMANDS_H

#include <QCoreApplication>

class ActionState;
class Document;
class PluSheet;
class PriceList;
class QAction;
class QMainWindow;
struct CurrentScale;

// Print and Export PDF: the rows in use as a price list (see pricelist.h),
// on a printer chosen in the print dialog or in a PDF file. Its words are
// the main window's.
class PrintCommands
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    PrintCommands(QMainWindow *window, const PluSheet &sheet, Document &document,
                  ActionState &actions, const CurrentScale &scale);

    QAction *printAction() const { return m_printAct; }
    QAction *exportPdfAction() const { return m_exportPdfAct; }

    void print();
    void exportPdf();

private:
    PriceList priceList() const;
    // An empty list is not printed: the user is told why instead.
    bool refusedAsEmpty(const PriceList &list, const QString &title);

    QMainWindow *m_window;
    const PluSheet &m_sheet;
    Document &m_document;
    const CurrentScale &m_scale;
    QAction *m_printAct = nullptr;
    QAction *m_exportPdfAct = nullptr;
};

#endif // PRINTCOMMANDS_H
