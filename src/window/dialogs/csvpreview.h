#ifndef CSVPREVIEW_H
#define CSVPREVIEW_H

#include "csv.h"

#include <QByteArray>
#include <QDialog>

class QComboBox;
class QPushButton;
class QVBoxLayout;

// What the user chose to do with a read spreadsheet.
enum class CsvPreviewChoice
{
    Replace,    // the table becomes the file's rows
    Update,     // only the file's PLUs change, in the columns the file has
    Cancelled,  // nothing changes
};

// Everything about a read spreadsheet on one page before the table
// changes: the format, for text the encoding and separator found, where
// each header goes, the first rows and every refused value. For a text file
// whose bytes are given the encoding can be chosen by hand, and the file is
// read again in it; an import that failed only because its lines disagree
// on their encoding is shown that way, for the user to choose.
class CsvPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PreviewRows = 20;

    CsvPreviewDialog(const CsvImport &import, const QString &fileName,
                     QWidget *parent = nullptr, const QByteArray &bytes = QByteArray());

    CsvPreviewChoice choice() const { return m_choice; }
    // The file as last read, in the encoding last chosen.
    const CsvImport &import() const { return m_import; }

    // Shows the dialog modally and returns the choice; import becomes the
    // file as read in the encoding chosen last.
    static CsvPreviewChoice ask(QWidget *parent, const QByteArray &bytes, CsvImport &import,
                                const QString &fileName);

private:
    void showImport();
    void readAgain(int encodingIndex);
    QWidget *createEncodingChoice();
    QWidget *createSummary();
    QWidget *createRowTable();
    QWidget *createRefusalList();
    void createButtons();

    CsvImport m_import;
    const QString m_fileName;
    const QByteArray m_bytes;
    QWidget *m_page = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_update = nullptr;
    CsvPreviewChoice m_choice = CsvPreviewChoice::Cancelled;
};

#endif // CSVPREVIEW_H
