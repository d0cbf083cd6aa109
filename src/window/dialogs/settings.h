#ifndef SETTINGS_H
#define SETTINGS_H

#include <QDialog>

#include "ui_settings.h"

// The small, non-modal dialog that picks the serial device of the scale
// that was current when it opened. OK says which device that scale moves
// to, at once, even if another scale has been chosen in the meantime.
class SettingsDialog : public QDialog, public Ui_SettingsDialog
{
    Q_OBJECT

public:
    // choices: the devices offered; device: the scale's device now.
    SettingsDialog(const QStringList &choices, const QString &device, const QString &scale,
                   QWidget *parent);

signals:
    void deviceChosen(const QString &scale, const QString &device);

public slots:
    void on_btnOK_clicked();
    void on_btnCancel_clicked();

private:
    void showWholePath();

    QString m_scale;
};

#endif // SETTINGS_H
