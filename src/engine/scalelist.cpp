#include "scalelist.h"
#include "comm.h"

#include <QSettings>

namespace {

const char *const DeviceKey = "Device";
const char *const CurrentScaleKey = "Scale";
const char *const ScalesKey = "Scales";
const char *const NameKey = "Name";
const char *const DefaultDevice = "COM1";

QList<ScaleEntry> storedScales(QSettings &settings)
{
    QList<ScaleEntry> scales;
    const int count = settings.beginReadArray(QLatin1String(ScalesKey));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        scales.append({ settings.value(QLatin1String(NameKey)).toString().trimmed(),
                        settings.value(QLatin1String(DeviceKey)).toString() });
    }
    settings.endArray();
    return scales;
}

} // namespace

ScaleList::ScaleList()
    : m_scales{ { QLatin1String(DefaultDevice), QLatin1String(DefaultDevice) } }
{
}

// A list damaged by hand (no entries, empty or repeated names) is mended
// rather than refused: the scales that make sense stay, and the current
// device comes from "Device" whenever that is stored.
ScaleList ScaleList::load(QSettings &settings)
{
    const QString device =
        settings.value(QLatin1String(DeviceKey), QLatin1String(DefaultDevice)).toString();
    ScaleList list;
    list.m_scales.clear();
    for (const ScaleEntry &scale : storedScales(settings)) {
        if (list.nameProblem(scale.name, -1).isEmpty())
            list.m_scales.append(scale);
    }
    if (list.m_scales.isEmpty())
        list.m_scales.append({ device.isEmpty() ? QLatin1String(DefaultDevice) : device, device });
    list.m_fresh = !settings.contains(QLatin1String(DeviceKey))
                && !settings.childGroups().contains(QLatin1String(ScalesKey));
    const int current = list.indexOf(settings.value(QLatin1String(CurrentScaleKey)).toString());
    list.m_current = current < 0 ? 0 : current;
    if (settings.contains(QLatin1String(DeviceKey)))
        list.m_scales[list.m_current].device = device;
    return list;
}

void ScaleList::save(QSettings &settings) const
{
    settings.setValue(QLatin1String(DeviceKey), current().device);
    settings.setValue(QLatin1String(CurrentScaleKey), current().name);
    settings.beginWriteArray(QLatin1String(ScalesKey), int(m_scales.size()));
    for (int i = 0; i < m_scales.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(QLatin1String(NameKey), m_scales.at(i).name);
        settings.setValue(QLatin1String(DeviceKey), m_scales.at(i).device);
    }
    settings.endArray();
    settings.sync();
}

QStringList ScaleList::names() const
{
    QStringList list;
    for (const ScaleEntry &scale : m_scales)
        list << scale.name;
    return list;
}

int ScaleList::indexOf(const QString &name) const
{
    for (int i = 0; i < m_scales.size(); ++i) {
        if (m_scales.at(i).name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool ScaleList::setCurrent(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return false;
    m_current = index;
    return true;
}

void ScaleList::setCurrentDevice(const QString &device)
{
    m_scales[m_current].device = device;
    m_fresh = false;
}

// Names are told apart without regard to case: "Deli" and "deli" on two
// scales would only confuse whoever picks one.
QString ScaleList::nameProblem(const QString &name, int except) const
{
    if (name.trimmed().isEmpty())
        return tr("A scale needs a name.");
    // A line break or a TAB in a name would break every list of scales.
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return tr("A scale's name cannot hold control characters such as a line break or a "
                      "TAB.");
    }
    const int other = indexOf(name);
    if (other >= 0 && other != except)
        return tr("There is already a scale named %1. Choose another name.")
            .arg(m_scales.at(other).name);
    return QString();
}

QString ScaleList::add(const QString &name, const QString &device, bool startingScaleServed)
{
    const bool replacesStarting = m_fresh && !startingScaleServed;
    const QString problem = nameProblem(name, replacesStarting ? 0 : -1);
    if (!problem.isEmpty())
        return problem;
    if (device.trimmed().isEmpty())
        return tr("Scale %1 needs a device.").arg(name.trimmed());
    if (const QString problem = networkAddressProblem(device.trimmed()); !problem.isEmpty())
        return problem;
    m_scales.append({ name.trimmed(), device.trimmed() });
    if (replacesStarting) {
        m_scales.removeFirst();
        m_current = 0;
    }
    m_fresh = false;
    return QString();
}

QString ScaleList::rename(const QString &name, const QString &newName)
{
    const int index = indexOf(name);
    if (index < 0)
        return tr("There is no scale named %1.").arg(name);
    const QString problem = nameProblem(newName, index);
    if (!problem.isEmpty())
        return problem;
    m_scales[index].name = newName.trimmed();
    m_fresh = false;
    return QString();
}

QString ScaleList::setDevice(const QString &name, const QString &device)
{
    const int index = indexOf(name);
    if (index < 0)
        return tr("There is no scale named %1.").arg(name);
    if (device.trimmed().isEmpty())
        return tr("Scale %1 needs a device.").arg(m_scales.at(index).name);
    if (const QString problem = networkAddressProblem(device.trimmed()); !problem.isEmpty())
        return problem;
    m_scales[index].device = device.trimmed();
    m_fresh = false;
    return QString();
}

QString ScaleList::remove(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return tr("There is no scale named %1.").arg(name);
    if (m_scales.size() == 1)
        return tr("%1 is the only scale. Add another one before removing it.")
            .arg(m_scales.at(index).name);
    m_scales.removeAt(index);
    if (m_current > index || m_current == m_scales.size())
        --m_current;
    m_fresh = false;
    return QString();
}

QStringList ScaleList::sharingDevice(const QString &name, const QString &device) const
{
    // A link and the device it leads to are one port.
    const QString port = portIdentity(device);
    QStringList others;
    for (const ScaleEntry &scale : m_scales) {
        if (scale.name.compare(name.trimmed(), Qt::CaseInsensitive) != 0
            && portIdentity(scale.device) == port)
            others << scale.name;
    }
    return others;
}

QString ScaleList::sharedDeviceWarning(const QString &name) const
{
    const int index = indexOf(name);
    if (index < 0)
        return QString();
    const ScaleEntry &scale = m_scales.at(index);
    const QStringList others = sharingDevice(scale.name, scale.device);
    if (others.isEmpty())
        return QString();
    return tr("%1 uses the same device as %2 (%3). Scales on one device take turns, and "
              "Tarexa keeps one record of what the scale on that device holds. Give each "
              "scale its own device unless they really share one line.")
        .arg(scale.name, others.join(QLatin1String(", ")), scale.device);
}
