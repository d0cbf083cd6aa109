// The commands of tarexa-cli about the shop's named scales: listing, adding
// and removing them, and sending the changes of a file to all of them.

#include "allscales.h"
#include "cli.h"
#include "journaltext.h"
#include "plutable.h"
#include "signalwatch.h"
#include "terminal.h"
#include "terminalprogress.h"

#include <QDateTime>
#include <QSettings>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

namespace cli {

namespace {

// The settings store, once written, tells whether the write reached the
// disk; the scales are only worth as much as that.
int savedScales(const ScaleList &scales)
{
    QSettings settings;
    scales.save(settings);
    if (settings.status() == QSettings::NoError)
        return Done;
    printError(TarexaCli::tr("Could not save the scales in %1.").arg(settings.fileName()));
    return FileError;
}

QString lastTransferText(ScaleStore &store, const QString &device)
{
    const std::optional<QDateTime> last =
        store.isUsable() ? store.lastSuccessfulTransfer(device) : std::nullopt;
    if (!last)
        return TarexaCli::tr("unknown");
    if (!last->isValid())
        return TarexaCli::tr("never");
    return journalTimeText(*last);
}

int widest(const QStringList &texts)
{
    int width = 0;
    for (const QString &text : texts)
        width = std::max(width, int(text.size()));
    return width;
}

const int ListingBusyTimeoutMs = 300;

} // namespace

// One line a scale: "*" for the current one, name, device and when it last
// took a command to the end, in aligned columns.
int listScales()
{
    const ScaleList scales = configuredScales();
    // Only read here, but for the note of which port a name leads to: that
    // may wait a little, not for as long as a transfer's facts would.
    ScaleStore store(ScaleStore::defaultPath(), ListingBusyTimeoutMs);
    QStringList devices;
    for (const ScaleEntry &scale : scales.scales())
        devices << scale.device;
    const int nameWidth = widest(scales.names());
    const int deviceWidth = widest(devices);
    for (const ScaleEntry &scale : scales.scales()) {
        const bool current = scale.name == scales.current().name;
        const QString line = QStringLiteral("%1 %2  %3  %4")
                                 .arg(current ? QLatin1Char('*') : QLatin1Char(' '))
                                 .arg(scale.name.leftJustified(nameWidth),
                                      scale.device.leftJustified(deviceWidth),
                                      lastTransferText(store, scale.device));
        printOut(line);
    }
    // The list is worth having without the times, so its status stays Done.
    if (!store.isUsable())
        storeError(store);
    else
        printStoreNotice(store);
    return Done;
}

int addScale(const QString &name, const QString &device)
{
    ScaleList scales = configuredScales();
    const QString starting = scales.current().name;
    const bool served = !scales.isFresh() || ScaleStore().hasServed(scales.current().device);
    const QString refusal = scales.add(name, device, served);
    if (!refusal.isEmpty())
        return usageError(refusal);
    const QString warning = scales.sharedDeviceWarning(name);
    if (!warning.isEmpty())
        printLine(TarexaCli::tr("Warning: %1").arg(warning));
    if (scales.indexOf(starting) < 0)
        printLine(TarexaCli::tr("%1 takes the place of %2, the scale a new list starts with; it "
                                "is the current scale.").arg(scales.current().name, starting));
    return savedScales(scales);
}

int removeScale(const QString &name)
{
    ScaleList scales = configuredScales();
    if (scales.indexOf(name) < 0)
        return usageError(noScaleNamed(scales, name));
    const QString current = scales.current().name;
    const QString refusal = scales.remove(name);
    if (!refusal.isEmpty())
        return usageError(refusal);
    if (scales.current().name != current)
        printLine(ScaleList::tr("%1 is the current scale now.").arg(scales.current().name));
    return savedScales(scales);
}

namespace {

// The progress of every scale at once on one line of standard error, such
// as "Deli 12/20  Meat 3/5", when it is a terminal; nothing otherwise. The
// workers of the ports call it each from their own thread.
class AllScalesProgress : public ScalesProgress
{
public:
    explicit AllScalesProgress(const QList<ScalePlan> &plans)
        : m_onTerminal(standardErrorIsTerminal())
    {
        for (const ScalePlan &plan : plans)
            m_scales.push_back({ plan.scale.name, int(plan.changed.size()), 0, plan.visited() });
    }

    void started(int, int) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        draw();
    }

    void setValue(int scale, int value) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_scales[size_t(scale)].sent = value;
        draw();
    }

    bool cancelled() override { return SignalWatch::received() != 0; }

    void ended(int scale, const ScaleResult &result) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_scales[size_t(scale)].sent = result.outcome.accepted;
        draw();
    }

    // Ends the line of the progress, so that the summary starts on its own.
    void finish()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_drawn)
            std::fputc('\n', stderr);
        m_drawn = false;
    }

private:
    struct Scale
    {
        QString name;
        int planned;
        int sent;
        bool shown;
    };

    // Each scale's name and count; where that is wider than the terminal,
    // the names are shortened alike, and where even names of a few letters
    // are too wide, the PLUs of all the scales are counted together.
    void draw()
    {
        if (!m_onTerminal)
            return;
        int longestName = 0;
        int sent = 0;
        int planned = 0;
        int shown = 0;
        for (const Scale &scale : m_scales) {
            if (!scale.shown)
                continue;
            longestName = std::max(longestName, displayColumns(scale.name));
            sent += scale.sent;
            planned += scale.planned;
            ++shown;
        }
        QStringList lines;
        const int shortest = std::min(longestName, ShortestName);
        for (int nameColumns = longestName; nameColumns >= shortest; --nameColumns)
            lines << lineWithNames(nameColumns);
        lines << TarexaCli::tr("%1/%2 PLUs to %n scale(s)", nullptr, shown).arg(sent).arg(planned);
        redrawProgressLine(firstThatFits(lines, terminalColumns() - 1));
        m_drawn = true;
    }

    QString lineWithNames(int nameColumns) const
    {
        QStringList parts;
        for (const Scale &scale : m_scales) {
            if (scale.shown)
                parts << QStringLiteral("%1 %2/%3").arg(cutToColumns(scale.name, nameColumns))
                                                   .arg(scale.sent).arg(scale.planned);
        }
        return parts.join(QLatin1String("  "));
    }

    static constexpr int ShortestName = 4;

    std::mutex m_mutex;
    std::vector<Scale> m_scales;
    bool m_onTerminal;
    bool m_drawn = false;
};

// What one scale came to: a scale left out counts as one with no record,
// one whose changes went but could not be recorded as unrecorded.
int scaleStatus(const ScaleResult &result)
{
    if (result.leftOut)
        return NoSnapshot;
    if (!result.succeeded())
        return exitStatusOf(result.outcome.kind);
    return result.unrecorded ? int(Unrecorded) : int(Done);
}

// What the stopping signal says when one stopped any scale; otherwise what
// the first scale that failed came to.
int allScalesStatus(const QList<ScaleResult> &results)
{
    int status = Done;
    for (const ScaleResult &result : results) {
        if (result.outcome.kind == ScaleOutcome::Cancelled)
            return exitStatusOf(ScaleOutcome::Cancelled);
        if (status == Done)
            status = scaleStatus(result);
    }
    return status;
}

int summarise(const QList<ScaleResult> &results, const QString &fileName)
{
    for (const ScaleResult &result : results) {
        printLine(AllScalesText::resultLine(result));
        if (result.leftOut || result.outcome.kind == ScaleOutcome::Stale)
            printLine(TarexaCli::tr("Run 'tarexa-cli diff --scale %1 %2' to read it first.")
                          .arg(shellWord(result.scale.name), shellWord(fileName)));
    }
    const QStringList failed = AllScalesText::failedScales(results);
    if (!failed.isEmpty())
        printError(TarexaCli::tr("These scales did not get all their changes: %1.")
                       .arg(failed.join(QLatin1String(", "))));
    QStringList unrecorded;
    for (const ScaleResult &result : results)
        if (result.succeeded() && result.unrecorded)
            unrecorded << result.scale.name;
    if (!unrecorded.isEmpty())
        printError(TarexaCli::tr("These scales took their changes, but Tarexa could not record "
                                 "them: %1. Run diff for each before the next program --changed.")
                       .arg(unrecorded.join(QLatin1String(", "))));
    return allScalesStatus(results);
}

} // namespace

ScaleList configuredScales()
{
    QSettings settings;
    return ScaleList::load(settings);
}

QString noScaleNamed(const ScaleList &scales, const QString &name)
{
    return TarexaCli::tr("No scale is named \"%1\". The scales are: %2.")
        .arg(name, scales.names().join(QLatin1String(", ")));
}

int programChangedToAllScales(const QString &fileName)
{
    PluTable table;
    if (!loadTableSayingRefusals(fileName, table))
        return FileError;
    if (table.rowsInUse().isEmpty())
        return emptyFile();
    std::optional<QList<ScalePlan>> plans;
    {
        // Opened here, in the main thread, and closed before the workers
        // open their own.
        ScaleStore store;
        plans = store.isUsable() ? planChanges(table, configuredScales().scales(), store)
                                 : std::nullopt;
        if (!plans)
            return storeError(store);
        printStoreNotice(store);
    }
    AllScalesProgress progress(*plans);
    const QList<ScaleResult> results = programChangesToScales(table, *plans, fileName, progress);
    progress.finish();
    return summarise(results, fileName);
}

} // namespace cli
