#ifndef SCALELIST_H
#define SCALELIST_H

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

class QSettings;

// One weigh scale of the shop: the name the user knows it by and the serial
// device it hangs on.
struct ScaleEntry
{
    QString name;
    QString device;
};

// The shop's named scales and which of them the next command goes to, as
// the window and tarexa-cli keep them in the settings store. The "Device"
// key stays the current scale's device, so a store written before there
// were several scales reads as one scale named after its device, and a
// program that knows only "Device" still finds the right port.
class ScaleList
{
    Q_DECLARE_TR_FUNCTIONS(ScaleList)

public:
    // COM1, as when nothing was ever configured.
    ScaleList();

    static ScaleList load(QSettings &settings);
    void save(QSettings &settings) const;

    const QList<ScaleEntry> &scales() const { return m_scales; }
    QStringList names() const;
    // The scale of that name, case ignored; -1 when there is none.
    int indexOf(const QString &name) const;

    const ScaleEntry &current() const { return m_scales.at(m_current); }
    bool setCurrent(const QString &name);
    void setCurrentDevice(const QString &device);

    // Whether the list is still the one a fresh store starts with: one
    // scale named after the default device, and nothing stored yet.
    bool isFresh() const { return m_fresh; }

    // Each returns an empty text when done, or why it was refused. The
    // first scale added to a fresh list takes the place of the one it
    // started with, and becomes current, unless that one has served a
    // command (startingScaleServed).
    QString add(const QString &name, const QString &device, bool startingScaleServed = true);
    QString rename(const QString &name, const QString &newName);
    QString setDevice(const QString &name, const QString &device);
    QString remove(const QString &name);

    // The warning for a scale that shares its port, or an empty text.
    QString sharedDeviceWarning(const QString &name) const;

private:
    QString nameProblem(const QString &name, int except) const;
    // The other scales whose device opens the same port as device.
    QStringList sharingDevice(const QString &name, const QString &device) const;

    QList<ScaleEntry> m_scales;
    int m_current = 0;
    bool m_fresh = false;
};

#endif // SCALELIST_H
