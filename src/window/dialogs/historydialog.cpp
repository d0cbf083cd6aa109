#include "historydialog.h"
#include "outcometext.h"
#include "journaltext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum TransferColumn
{
    TimeCol, DeviceCol, CommandCol, AcceptedCol, RefusedCol, NoReplyCol, ResultCol,
    TransferColumnCount
};
enum PluColumnOfTransfer { PluCol, OutcomeCol, AtCol, PluColumnOfTransferCount };

const int TransferIdRole = Qt::UserRole;
const int MessageRole = Qt::UserRole + 1;

QTreeWidget *newList(const QStringList &labels, QWidget *parent)
{
    auto *view = new QTreeWidget(parent);
    view->setColumnCount(int(labels.size()));
    view->setHeaderLabels(labels);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return view;
}

} // namespace

TransferHistoryDialog::TransferHistoryDialog(const QList<TransferRecord> &transfers,
                                             PlusOfTransfer plusOf, QWidget *parent,
                                             ScaleOfDevice scaleOf)
    : QDialog(parent)
    , m_plusOf(std::move(plusOf))
    , m_scaleOf(std::move(scaleOf))
{
    setWindowTitle(tr("Transfer History"));

    m_transfers = newList({ tr("Time"), tr("Scale"), tr("Command"), tr("Accepted"), tr("Refused"),
                            tr("No reply"), tr("Result") }, this);
    for (const TransferRecord &t : transfers)
        addTransfer(t);

    m_detail = new QLabel(this);
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_plus = newList({ tr("PLU"), tr("Outcome"), tr("Time") }, this);

    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_detail);
    lowerLayout->addWidget(m_plus, 1);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_transfers);
    splitter->addWidget(lower);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    resize(760, 560);

    connect(m_transfers, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { showPlusOf(current); });
    if (transfers.isEmpty())
        m_detail->setText(tr("No transfer has been recorded yet."));
    else
        m_transfers->setCurrentItem(m_transfers->topLevelItem(0));
}

void TransferHistoryDialog::addTransfer(const TransferRecord &t)
{
    const QString scale = m_scaleOf ? m_scaleOf(t.device) : t.device;
    auto *item = new QTreeWidgetItem(m_transfers, { journalTimeText(t.started), scale,
                                                    OutcomeText::journalWord(t.command),
                                                    QString::number(t.accepted),
                                                    QString::number(t.refused),
                                                    QString::number(t.noReply),
                                                    OutcomeText::journalWord(t.result) });
    item->setData(TimeCol, TransferIdRole, t.id);
    item->setData(TimeCol, MessageRole, t.message);
    item->setToolTip(DeviceCol, t.device);
    for (int col : { AcceptedCol, RefusedCol, NoReplyCol })
        item->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
    if (!t.message.isEmpty())
        item->setToolTip(ResultCol, t.message);
    if (t.interrupted()) {
        // The program ended before the command did: what the scale holds
        // after it is uncertain, so the entry must stand out.
        QFont font = item->font(ResultCol);
        font.setBold(true);
        item->setFont(ResultCol, font);
        item->setToolTip(ResultCol, tr("The command's end was never recorded: Tarexa stopped "
                                       "or lost its port during it."));
    }
}

void TransferHistoryDialog::showPlusOf(QTreeWidgetItem *transferItem)
{
    m_plus->clear();
    if (!transferItem) {
        m_detail->clear();
        return;
    }
    const std::optional<QList<ExchangeRecord>> exchanges =
        m_plusOf ? m_plusOf(transferItem->data(TimeCol, TransferIdRole).toInt()) : std::nullopt;
    if (!exchanges) {
        m_detail->setText(tr("The PLUs of this transfer could not be read."));
        return;
    }
    const QString message = transferItem->data(TimeCol, MessageRole).toString();
    if (exchanges->isEmpty())
        m_detail->setText(message.isEmpty() ? tr("No PLU was exchanged in this transfer.") : message);
    else
        m_detail->setText(message);
    for (const ExchangeRecord &e : *exchanges)
        new QTreeWidgetItem(m_plus, { QString::number(e.plu),
                                      OutcomeText::journalWord(exchangeResultName(e.result)),
                                      journalTimeText(e.at) });
}
