#ifndef HISTORYDIALOG_H
#define HISTORYDIALOG_H

#include "scalestore.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The transfer journal: one line per scale command, and below it the PLUs
// of the selected one with how each exchange ended. The PLUs are fetched on
// selection through the callback, which returns nothing when the store
// cannot give them. Each command names its scale as the shop's scales list
// names it (through scaleOf), the device it went to under the tool tip.
class TransferHistoryDialog : public QDialog
{
    Q_OBJECT

public:
    using PlusOfTransfer = std::function<std::optional<QList<ExchangeRecord>>(int transferId)>;

    // The scale's name for a journal device; the device itself when empty.
    using ScaleOfDevice = std::function<QString(const QString &device)>;

    TransferHistoryDialog(const QList<TransferRecord> &transfers, PlusOfTransfer plusOf,
                          QWidget *parent = nullptr, ScaleOfDevice scaleOf = nullptr);

    QTreeWidget *transfersView() const { return m_transfers; }
    QTreeWidget *plusView() const { return m_plus; }
    // Says why the PLU list is empty, or the selected transfer's message.
    QLabel *detailLabel() const { return m_detail; }

private:
    void addTransfer(const TransferRecord &t);
    void showPlusOf(QTreeWidgetItem *transferItem);

    PlusOfTransfer m_plusOf;
    ScaleOfDevice m_scaleOf;
    QTreeWidget *m_transfers;
    QLabel *m_detail;
    QTreeWidget *m_plus;
};

#endif // HISTORYDIALOG_H
