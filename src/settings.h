#ifndef SETTINGS_H
#define SETTINGS_H

#include <QDialog>

#include "ui_settings.h"

class Tarexa;

// The small, non-modal dialog that picks the serial device. OK changes the
// main window's device name at once and stores it for the next run.
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
};

#endif // SETTINGS_H
