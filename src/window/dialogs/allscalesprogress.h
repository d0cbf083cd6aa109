#ifndef ALLSCALESPROGRESS_H
#define ALLSCALESPROGRESS_H

#include "allscales.h"

#include <QDialog>
#include <QList>
#include <QObject>

#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;

// The engine's progress of several scales, from its worker threads to the
// window: each call becomes a queued signal, handled in the window's
// thread. Cancel is a flag any thread may read.
class QueuedScalesProgress : public QObject, public ScalesProgress
{
    Q_OBJECT

public:
    void started(int scale, int maximum) override { emit scaleStarted(scale, maximum); }
    void setValue(int scale, int value) override { emit scaleValue(scale, value); }
    bool cancelled() override { return m_cancelled; }
    void ended(int scale, const ScaleResult &result) override;

    void cancel() { m_cancelled = true; }

signals:
    void scaleStarted(int scale, int maximum);
    void scaleValue(int scale, int value);
    void scaleEnded(int scale, bool succeeded, const QString &text);

private:
    std::atomic<bool> m_cancelled{ false };
};

// One bar per scale that has changes to take, under the scale's name, and
// one Cancel for them all. Closing the dialog cancels too.
class AllScalesProgressDialog : public QDialog
{
    Q_OBJECT

public:
    AllScalesProgressDialog(const QList<ScalePlan> &plans, QueuedScalesProgress &progress,
                            QWidget *parent);

    // The bar of plan number scale; null when that scale sends nothing.
    QProgressBar *bar(int scale) const { return m_bars.value(scale); }

public slots:
    void reject() override;

private slots:
    void scaleStarted(int scale, int maximum);
    void scaleValue(int scale, int value);
    void scaleEnded(int scale, bool succeeded, const QString &text);

private:
    void fitScreen(QWidget *scales);

    QueuedScalesProgress &m_progress;
    QList<QProgressBar *> m_bars;
    QList<QLabel *> m_states;
};

#endif // ALLSCALESPROGRESS_H
