#ifndef SETTINGS_H
#define SETTINGS_H

#include <QDialog>

#include "ui_settings.h"

class Tarexa;

// The serial ports this machine has, as names the Settings dialog offers:
// on Linux the stable /dev/serial/by-id links (full paths), then the
// ttyUSB, ttyACM and ttyS devices that are real ports and have no such link;
// ttyS0 to ttyS7 are left out, being COM1 to COM8 of the fixed list. On
// Windows the COM ports the system reports. The folders are parameters so
// that a test can fake them.
QStringList serialPortsPresent(const QString &devFolder = "/dev",
                               const QString &sysFolder = "/sys");

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
