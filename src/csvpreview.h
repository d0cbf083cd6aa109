#ifndef CSVPREVIEW_H
#define CSVPREVIEW_H

#include "csv.h"

#include <QDialog>

class QPushButton;

// What the user chose to do with a read CSV file.
enum class CsvPreviewChoice
{
    Replace,    // the table becomes the file's rows
    Update,     // only the file's PLUs change
    Cancelled,  // nothing changes
};

// Everything about a read CSV file on one page before the table changes:
// the encoding and separator found, where each header goes, the first rows
// and every refused value. Only for an import that did not fail.
class CsvPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PreviewRows = 20;

    CsvPreviewDialog(const CsvImport &import, const QString &fileName,
                     QWidget *parent = nullptr);

    CsvPreviewChoice choice() const { return m_choice; }

    // Shows the dialog modally and returns the choice.
    static CsvPreviewChoice ask(QWidget *parent, const CsvImport &import,
                                const QString &fileName);

private:
    QWidget *createSummary(const CsvImport &import, const QString &fileName);
    QWidget *createRowTable(const CsvImport &import);
    QWidget *createRefusalList(const CsvImport &import);
    void createButtons(bool anyRows);

    QPushButton *m_replace = nullptr;
    QPushButton *m_update = nullptr;
    CsvPreviewChoice m_choice = CsvPreviewChoice::Cancelled;
};

#endif // CSVPREVIEW_H
