#include "scalesession.h"
#include "tarexa.h"
#include "check.h"
#include "plutable.h"
#include "testapp.h"

#include <QAbstractButton>
#include <QDialog>
#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

ScaleSession::ScaleSession(const ScaleSimOptions &options)
    : m_scale(options)
{
    connect(&m_watch, &QTimer::timeout, this, &ScaleSession::watchProgress);
}

ScaleSession::~ScaleSession()
{
    m_scale.stop();
    m_window.reset();
}

bool ScaleSession::start()
{
    if (!m_scale.start())
        return false;
    m_window.reset(new Tarexa);
    m_window->setDeviceName(m_scale.deviceName());
    m_watch.start(0);
    return true;
}

QTableWidget *ScaleSession::table() const
{
    return m_window->pluTable();
}

void ScaleSession::trigger(const QString &actionText)
{
    triggerAction(m_window.get(), actionText);
}

void ScaleSession::cancelAtFrame(int n)
{
    Tarexa *window = m_window.get();
    m_scale.sim().setFrameObserver([window, n](int received) {
        if (received != n)
            return;
        // Runs on the scale's thread: the click waits in the window's queue
        // until the command next processes events.
        QMetaObject::invokeMethod(window, [window] {
            if (auto *dialog = window->findChild<QProgressDialog *>())
                if (auto *cancel = dialog->findChild<QPushButton *>())
                    cancel->click();
        }, Qt::QueuedConnection);
    });
}

void ScaleSession::clickCell(int row, int col)
{
    ::clickCell(table(), row, col);
}

QByteArray ScaleSession::commandBytes()
{
    return m_scale.commandBytes();
}

bool ScaleSession::isEmptyRow(int row) const
{
    return rowTexts(row).join(QString()).isEmpty();
}

QStringList ScaleSession::rowTexts(int row) const
{
    QStringList texts;
    for (int col = 0; col < 6; ++col)
        texts << cellText(table(), row, col);
    return texts;
}

// Runs on every pass of an event loop, which the scale commands give once
// per row.
void ScaleSession::watchProgress()
{
    if (m_watched || !m_window)
        return;
    auto *dialog = m_window->findChild<QProgressDialog *>();
    if (!dialog)
        return;
    m_watched = dialog;
    record(dialog);
}

void ScaleSession::record(QProgressDialog *dialog)
{
    m_progress = SeenProgress();
    m_progress.seen = true;
    m_progress.label = dialog->labelText();
    if (auto *cancel = dialog->findChild<QPushButton *>())
        m_progress.cancelText = cancel->text();
    m_progress.minimum = dialog->minimum();
    m_progress.maximum = dialog->maximum();
    m_progress.minimumDuration = dialog->minimumDuration();
    m_progress.modality = dialog->windowModality();
    m_progress.modal = dialog->isModal();
    m_progress.overWindow = dialog->parent() == m_window.get();
    if (dialog->value() >= dialog->minimum())
        m_progress.values << dialog->value();
    if (auto *bar = dialog->findChild<QProgressBar *>())
        connect(bar, &QProgressBar::valueChanged, this, [this, bar](int value) {
            if (value >= bar->minimum())
                m_progress.values << value;
        });
}

void programAnyway(QWidget *window, QTableWidget *table, ModalAnswerer &answerer)
{
    PluTable rows;
    for (int row = 0; row < PLU_COUNT; ++row)
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            rows.setText(row, col, cellText(table, row, col));
    if (!presendCheck(rows).isEmpty())
        answerer.handleWith([](QWidget *dialog) { static_cast<QDialog *>(dialog)->accept(); });
    triggerAction(window, "&Program");
}
