#include "allscalesprogress.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

void QueuedScalesProgress::ended(int scale, const ScaleResult &result)
{
    emit scaleEnded(scale, result.succeeded(), AllScalesText::resultText(result));
}

AllScalesProgressDialog::AllScalesProgressDialog(const QList<ScalePlan> &plans,
                                                 QueuedScalesProgress &progress, QWidget *parent)
    : QDialog(parent), m_progress(progress)
{
    setWindowTitle(tr("Programming Changes to All Scales"));
    auto *layout = new QVBoxLayout(this);
    for (const ScalePlan &plan : plans) {
        QProgressBar *bar = nullptr;
        QLabel *state = nullptr;
        if (plan.visited()) {
            layout->addWidget(new QLabel(QStringLiteral("<b>%1</b> (%2)")
                                             .arg(plan.scale.name.toHtmlEscaped(),
                                                  plan.scale.device.toHtmlEscaped())));
            bar = new QProgressBar;
            // A scale with nothing to send is only asked for its first PLU.
            bar->setRange(0, std::max(1, int(plan.changed.size())));
            bar->setValue(0);
            state = new QLabel(tr("Waiting for the port"));
            state->setWordWrap(true);
            layout->addWidget(bar);
            layout->addWidget(state);
            layout->addSpacing(6);
        }
        m_bars.append(bar);
        m_states.append(state);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &AllScalesProgressDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(480);

    connect(&progress, &QueuedScalesProgress::scaleStarted, this,
            &AllScalesProgressDialog::scaleStarted, Qt::QueuedConnection);
    connect(&progress, &QueuedScalesProgress::scaleValue, this,
            &AllScalesProgressDialog::scaleValue, Qt::QueuedConnection);
    connect(&progress, &QueuedScalesProgress::scaleEnded, this,
            &AllScalesProgressDialog::scaleEnded, Qt::QueuedConnection);
}

// The dialog stays until every scale has stopped; the window closes it.
void AllScalesProgressDialog::reject()
{
    m_progress.cancel();
    for (QLabel *state : m_states) {
        if (state && state->property("ended").isNull())
            state->setText(tr("Stopping after the current PLU..."));
    }
}

void AllScalesProgressDialog::scaleStarted(int scale, int maximum)
{
    if (QProgressBar *bar = m_bars.value(scale)) {
        bar->setMaximum(maximum);
        m_states.at(scale)->setText(tr("Sending"));
    }
}

void AllScalesProgressDialog::scaleValue(int scale, int value)
{
    if (QProgressBar *bar = m_bars.value(scale))
        bar->setValue(value);
}

void AllScalesProgressDialog::scaleEnded(int scale, bool succeeded, const QString &text)
{
    QLabel *state = m_states.value(scale);
    if (!state)
        return;
    state->setProperty("ended", true);
    state->setText(text);
    adjustSize();   // room for a reason that wraps
    if (succeeded)
        m_bars.at(scale)->setValue(m_bars.at(scale)->maximum());
}
