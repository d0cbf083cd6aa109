#ifndef SCALESESSION_H
#define SCALESESSION_H

#include "modalanswerer.h"
#include "scalefixture.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <memory>

class QTableWidget;
class Tarexa;

// What a test saw of the progress dialog of a scale command.
struct SeenProgress
{
    bool seen = false;
    QString label;
    QString cancelText;
    int minimum = 0;
    int maximum = 0;
    int minimumDuration = 0;
    Qt::WindowModality modality = Qt::NonModal;
    bool modal = false;
    bool overWindow = false;    // a child of the main window
    QList<int> values;          // every value it was given while watched
};

// The main window configured for the simulated scale, with an answerer for
// its message boxes and a watch on its progress dialogs. The scale stops
// before the window goes, so nothing it does can reach a deleted window.
class ScaleSession : public QObject
{
    Q_OBJECT

public:
    explicit ScaleSession(const ScaleSimOptions &options = ScaleSimOptions());
    ~ScaleSession() override;

    bool start();
    std::string errorText() const { return m_scale.errorText(); }

    Tarexa *window() const { return m_window.get(); }
    QTableWidget *table() const;
    ModalAnswerer &answerer() { return m_answerer; }
    ScaleFixture &scale() { return m_scale; }
    ScaleSim &sim() { return m_scale.sim(); }

    // Triggers the window's action with this text, such as "&Program"; it
    // returns when the command has ended.
    void trigger(const QString &actionText);
    // Clicks the progress dialog's Cancel button as soon as the scale has
    // received frame n, while that exchange is still running.
    void cancelAtFrame(int n);
    void clickCell(int row, int col);

    std::vector<QByteArray> frames() { return m_scale.sim().receivedFrames(); }
    QByteArray commandBytes();         // the command byte of every frame, in order
    const SeenProgress &progress() const { return m_progress; }
    bool isEmptyRow(int row) const;     // columns 0 to 5
    QStringList rowTexts(int row) const;

private slots:
    void watchProgress();

private:
    void record(QProgressDialog *dialog);

    std::unique_ptr<Tarexa> m_window;
    ModalAnswerer m_answerer;
    ScaleFixture m_scale;
    QTimer m_watch;
    QPointer<QProgressDialog> m_watched;
    SeenProgress m_progress;
};

// Programs the window's table as it stands: when the check before
// programming has findings, its "Program anyway?" is answered Yes. For
// tests that send awkward values to the scale on purpose.
void programAnyway(QWidget *window, QTableWidget *table, ModalAnswerer &answerer);

#endif // SCALESESSION_H
