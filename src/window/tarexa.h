#ifndef TAREXA_H
#define TAREXA_H

#include <QMainWindow>
#include <QSet>
#include <QString>
#include <QStringList>

#include "plu.h"
#include "scalelist.h"

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QCloseEvent;
class QDomDocument;
class QDomElement;
class QMenu;
class QTableWidget;
class QTableWidgetItem;
class QToolBar;
class PluTable;
class FindField;
struct PortFailure;
struct ScaleOutcome;
struct WriteFailure;
// What the scale holds: changes, comparison, journal
class ScaleProgress;
class ScaleStore;
struct Snapshot;
struct ScalePlan;
struct ScaleResult;
struct ProbeFinding;
class ChangesSession;
struct CheckFinding;
enum class ScaleCommand;

// The text of a cell of the PLU table; a cell without an item is empty.
QString pluCellText(const QTableWidget *table, int row, int col);
// The texts of a row of the PLU table, numbered by the row.
PLU_STRING pluOfTableRow(const QTableWidget *table, int row);

// Tells the user that the port for deviceName could not be used, with the
// system's reason (and how to get the right to use it) under the details.
void showPortFailure(QWidget *parent, const QString &deviceName, const PortFailure &failure);

// path, with ".suffix" appended unless its last dot is already followed by
// suffix, in any case: the rule of Save and of Export.
QString withSuffix(const QString &path, const QString &suffix);

// The words of an outcome's message box, for the journal; empty when
// there is none or it is about the port.
QString scaleOutcomeText(const ScaleOutcome &outcome);

// The typed PLUs of the last programming run, indexed by row.
extern PLU plu[PLU_COUNT];

// The program's only window. It owns the PLU table (which is the document),
// the document state, the serial device name and every user command.
class Tarexa : public QMainWindow
{
    Q_OBJECT

public:
    // One PLU in text form (see plu.h); the window's own name for it.
    using PLU_STRING = ::PLU_STRING;

    // The message that refuses text in column col, or an empty text when the
    // column's rule accepts it. Every value put into the table goes through it.
    static QString refusalMessage(int col, const QString &text);

    Tarexa();
    ~Tarexa() override;

    QStringList devices() const;
    // The fixed names and every serial port this machine has.
    QStringList deviceChoices() const;
    QString currentScaleName() const { return m_scales.current().name; }
    // Settings' OK: the scale moves to device (a scale removed meanwhile
    // stays removed).
    void setScaleDevice(const QString &scale, const QString &device);

    // Document state, read by the tests and by the benchmarks.
    bool isTableModified() const { return m_TableModified; }
    QString currentFileName() const { return filename; }
    QTableWidget *pluTable() const { return table; }

    QString m_DeviceName;

protected:
    // A cell that holds a character no PLU file can store; row is the PLU
    // number, -1 when the save failed for another reason (the write's
    // failure then says which).
    struct UnwritableCell
    {
        int row = -1;
        int col = -1;
        char32_t code = 0;
    };

    void closeEvent(QCloseEvent *ce) override;
    void load(const QString &fileName);
    bool saveDocument(const QString &fileName, UnwritableCell &unwritable, WriteFailure &failure);
    bool loadDocument(const QString &fileName, QStringList &refusals);
    QDomElement PluToNode(QDomDocument &d, const PLU_STRING &s);
    void clearDocument();

private slots:
    void newDoc();
    void choose();
    void save();
    void saveAs();
    void config();
    void read();
    void prog();
    void delplu();
    // What the scale holds: changes, comparison, journal
    void programChanges();
    void compareWithScale();
    void transferHistory();
    // The shop's several scales
    void editScales();
    void programChangesToAllScales();
    void about();
    void setModified(int row, int col);
    void setClicked(int row, int col);

private:
    void createTable();
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void readSettings();
    QTableWidgetItem *enableTextCell(int row, int col, bool enable);
    void putUnmarkedCell(int row);
    bool confirm(const QString &question, bool yesByDefault);
    bool maySaveChanges();
    bool saveFile();
    bool saveFileAs();
    bool saveFileTo(const QString &fileName);
    void showStatus(const QString &text);
    void setCurrentFile(const QString &fileName, bool modified);
    PluTable tableContents() const;
    void rowToPlu(short num, const PluTable &rows);
    short parsePlu(QString &str);
    int copyFilledRows(const PluTable &rows);
    bool mayClearDocument();
    void startEmptyDocument();
    void putPluInRow(short row, const PLU_STRING &s);
    class ScaleCommandRunning;
    void reportScaleOutcome(const ScaleOutcome &outcome);
    void reportUnnumberedPlus(int count);
    void showRefusals(const QStringList &refusals);
    void showUnwritableCell(const UnwritableCell &cell);
    // What the scale holds: changes, comparison, journal
    void createChangesActions();
    ScaleOutcome runRecorded(ScaleStore &store, ScaleCommand command, const char *label,
                             bool showAtOnce, const std::function<ScaleOutcome(ScaleProgress &)> &run);
    void sendChanges(ScaleStore &store, const PluTable &rows, const Snapshot &snapshot,
                     ChangesSession &session);
    QList<int> plusToDelete(const PluTable &rows, const Snapshot &snapshot);
    void tellStaleRecord(const ProbeFinding &finding);
    void tellStoreNotice(const ScaleStore &store);
    void tellStoreUnusable(const ScaleStore &store);
    void tidyJournal();

    // The shop's several scales
    void createScalesActions();
    void showScales();
    void reloadScales();
    void keepScales();
    void chooseScale(const QString &name);
    QList<ScaleResult> runOnAllScales(const PluTable &rows, const QList<ScalePlan> &plans);
    void showAllScalesSummary(const QList<ScaleResult> &results);
    ScaleList m_scales;
    QAction *scalesAct = nullptr;
    QAction *progAllAct = nullptr;
    QComboBox *scaleSelector = nullptr;
    QLabel *scaleLabel = nullptr;

    // Spreadsheets, find and the pre-send check
    void createCsvActions();
    void exportCsv();
    void importCsvFile();
    void showFileError(const QString &text);
    void replaceWithImport(const PluTable &imported);
    void updateFromImport(const PluTable &updated, const QList<int> &rows);
    void checkTable();
    bool mayProgramAfterCheck(const QList<CheckFinding> &findings);
    void goToPlu();
    QAction *exportCsvAct = nullptr;
    QAction *importCsvAct = nullptr;
    QAction *checkAct = nullptr;
    QAction *goToPluAct = nullptr;
    FindField *findField = nullptr;

    QAction *newAct = nullptr;
    QAction *openAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *confAct = nullptr;
    QAction *progAct = nullptr;
    QAction *readAct = nullptr;
    QAction *delAct = nullptr;
    QAction *aboutAct = nullptr;
    // What the scale holds: changes, comparison, journal
    QAction *progChangesAct = nullptr;
    QAction *compareAct = nullptr;
    QAction *historyAct = nullptr;
    QMenu *fileMenu = nullptr;
    QMenu *tarexaMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QToolBar *fileToolBar = nullptr;
    QToolBar *tarexaToolBar = nullptr;
    QTableWidget *table = nullptr;
    QString filename;
    bool m_TableModified = false;
    // Rows of this document that had a value refused, and whether the file
    // or spreadsheet it came from had any: a row may have lost its price
    // (or its number) that way, and must not pass for a PLU the table lacks.
    QSet<int> m_refusedRows;
    bool m_refusalsInDocument = false;
};

#endif // TAREXA_H
