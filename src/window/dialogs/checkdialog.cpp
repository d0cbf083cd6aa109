#include "checkdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

CheckFindingsDialog::CheckFindingsDialog(const QList<CheckFinding> &findings,
                                         Purpose purpose, QWidget *parent)
    : QDialog(parent), m_findings(findings)
{
    setWindowTitle(purpose == Purpose::Review ? tr("Check") : tr("Program"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Problems found in the rows in use:"), this));

    // A long line wraps rather than running off under a scroll bar.
    m_list = new QListWidget(this);
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);
    for (const CheckFinding &finding : findings)
        m_list->addItem(checkFindingLine(finding));
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const CheckFinding &finding = m_findings.at(m_list->row(item));
        emit goToCell(finding.row, finding.column);
    });
    layout->addWidget(m_list);

    if (purpose == Purpose::BeforeProgramming)
        layout->addWidget(new QLabel(tr("Program anyway?"), this));
    addButtons(purpose);
    resize(560, 360);
}

void CheckFindingsDialog::addButtons(Purpose purpose)
{
    QDialogButtonBox *buttons = nullptr;
    if (purpose == Purpose::Review) {
        buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        // Enter on a line goes to its cell; it must not close the list too.
        buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    } else {
        buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, this);
        buttons->button(QDialogButtonBox::Yes)->setAutoDefault(false);
        buttons->button(QDialogButtonBox::No)->setDefault(true);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}

bool CheckFindingsDialog::askProgramAnyway(QWidget *parent,
                                           const QList<CheckFinding> &findings)
{
    CheckFindingsDialog dialog(findings, Purpose::BeforeProgramming, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool mayProgramAfterCheck(QWidget *parent, const QList<CheckFinding> &findings)
{
    return findings.isEmpty() || CheckFindingsDialog::askProgramAnyway(parent, findings);
}

void showCheckFindings(QWidget *parent, const QList<CheckFinding> &findings,
                       std::function<void(int row, int column)> goTo)
{
    if (findings.isEmpty()) {
        QMessageBox::information(parent, CheckFindingsDialog::tr("Check"),
                                 CheckFindingsDialog::tr("No problems found."));
        return;
    }
    // A second Check replaces the list of the first: its rows may be stale.
    if (parent) {
        const auto open = parent->findChildren<CheckFindingsDialog *>(QString(),
                                                                      Qt::FindDirectChildrenOnly);
        for (CheckFindingsDialog *old : open)
            old->close();
    }
    auto *dialog = new CheckFindingsDialog(findings, CheckFindingsDialog::Purpose::Review,
                                           parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &CheckFindingsDialog::goToCell, dialog, std::move(goTo));
    dialog->show();
}
