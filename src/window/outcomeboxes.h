#ifndef OUTCOMEBOXES_H
#define OUTCOMEBOXES_H

#include <QCoreApplication>
#include <QList>
#include <QString>

class QWidget;
class ScaleStore;
struct CurrentScale;
struct PortFailure;
struct ProbeFinding;
struct ScaleOutcome;
struct ScaleResult;

// Tells the user that the port for deviceName could not be used, with the
// system's reason (and how to get the right to use it) under the details.
void showPortFailure(QWidget *parent, const QString &deviceName, const PortFailure &failure);

// The one place that turns how a scale command ended into message boxes
// over the window. Its words are the main window's.
class OutcomeBoxes
{
    Q_DECLARE_TR_FUNCTIONS(Tarexa)

public:
    OutcomeBoxes(QWidget *window, const CurrentScale &scale);

    void reportScaleOutcome(const ScaleOutcome &outcome);
    void reportUnnumberedPlus(int count);
    void tellStoreNotice(const ScaleStore &store);
    void tellStoreUnusable(const ScaleStore &store);
    void tellStaleRecord(const ProbeFinding &finding);
    void showAllScalesSummary(const QList<ScaleResult> &results);

private:
    QWidget *m_window;
    const CurrentScale &m_scale;
};

#endif // OUTCOMEBOXES_H
