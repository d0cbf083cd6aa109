#include "allscalesprogress.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
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
    // The scales' bars scroll, so that many scales never push the dialog
    // past a small screen; Cancel stays in view below them.
    auto *scales = new QWidget;
    auto *layout = new QVBoxLayout(scales);
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
    layout->addStretch(1);
    auto *scroll = new QScrollArea;
    scroll->setWidget(scales);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &AllScalesProgressDialog::reject);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(scroll, 1);
    outer->addWidget(buttons);
    setMinimumWidth(480);
    fitScreen(scales);

    connect(&progress, &QueuedScalesProgress::scaleStarted, this,
            &AllScalesProgressDialog::scaleStarted, Qt::QueuedConnection);
    connect(&progress, &QueuedScalesProgress::scaleValue, this,
            &AllScalesProgressDialog::scaleValue, Qt::QueuedConnection);
    connect(&progress, &QueuedScalesProgress::scaleEnded, this,
            &AllScalesProgressDialog::scaleEnded, Qt::QueuedConnection);
}

// As tall as the scales need, up to two thirds of the screen.
void AllScalesProgressDialog::fitScreen(QWidget *scales)
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const int most = screen ? screen->availableGeometry().height() * 2 / 3 : 500;
    resize(std::max(480, sizeHint().width()),
           std::min(most, scales->sizeHint().height() + 80));
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
    state->updateGeometry();   // room for a reason that wraps
    if (succeeded)
        m_bars.at(scale)->setValue(m_bars.at(scale)->maximum());
}
