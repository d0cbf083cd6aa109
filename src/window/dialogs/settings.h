#ifndef SETTINGS_H
#define SETTINGS_H

#include <QDialog>

#include "ui_settings.h"

class Tarexa;

// The small, non-modal dialog that picks the serial device of the scale
// that was current when it opened. OK changes that scale's device at once
// and stores it for the next run, even if another scale has been chosen
// in the meantime.
class SettingsDialog : public QDialog, public Ui_SettingsDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent);

public slots:
    void on_btnOK_clicked();
    void on_btnCancel_clicked();

private:
    Tarexa *mainWindow() const;

    QString m_scale;
};

#endif // SETTINGS_H
