#ifndef SCALESDIALOG_H
#define SCALESDIALOG_H

#include "scalelist.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// Asks for one scale's name and device: for a new scale, or to rename a
// scale or move it to another device.
class ScaleEntryDialog : public QDialog
{
    Q_OBJECT

public:
    ScaleEntryDialog(const QString &title, const ScaleEntry &entry, const QStringList &devices,
                     QWidget *parent);
    ScaleEntry entry() const;

private:
    QLineEdit *m_name;
    QComboBox *m_device;
};

// Scale > Scales...: the shop's scales, by name and device. Changes are
// made to a copy of the list, which the window takes on OK.
class ScalesDialog : public QDialog
{
    Q_OBJECT

public:
    // startingScaleServed: whether the scale a fresh list starts with has
    // served a command (see ScaleList::add).
    ScalesDialog(const ScaleList &scales, const QStringList &devices, bool startingScaleServed,
                 QWidget *parent);
    const ScaleList &scales() const { return m_scales; }

private slots:
    void addScale();
    void editScale();
    void removeScale();

private:
    void showScales(const QString &selected);
    QString selectedName() const;
    // Asks until the entry is accepted by change or the user cancels.
    bool askForEntry(const QString &title, ScaleEntry &entry,
                     const std::function<QString(const ScaleEntry &)> &change);
    void warnIfShared(const QString &name);
    void refuse(const QString &reason);

    ScaleList m_scales;
    bool m_startingScaleServed;
    QStringList m_devices;
    QTableWidget *m_list;
    QPushButton *m_edit;
    QPushButton *m_remove;
};

#endif // SCALESDIALOG_H
