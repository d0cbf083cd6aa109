#include "csvpreview.h"
#include "rules.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString mappingText(const QList<CsvMapping> &mapping)
{
    QStringList pairs;
    for (const CsvMapping &m : mapping)
        pairs << QStringLiteral("%1 \u2192 %2").arg(m.header, csvFieldName(m.field));
    return pairs.join(QStringLiteral(", "));
}

QTableWidgetItem *readOnlyItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

CsvPreviewDialog::CsvPreviewDialog(const CsvImport &import, const QString &fileName,
                                   QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Import CSV"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createSummary(import, fileName));
    layout->addWidget(createRowTable(import), 2);
    layout->addWidget(createRefusalList(import), 1);
    createButtons(!import.rows.isEmpty());
    resize(760, 560);
}

CsvPreviewChoice CsvPreviewDialog::ask(QWidget *parent, const CsvImport &import,
                                       const QString &fileName)
{
    CsvPreviewDialog dialog(import, fileName, parent);
    dialog.exec();
    return dialog.choice();
}

QWidget *CsvPreviewDialog::createSummary(const CsvImport &import, const QString &fileName)
{
    const QStringList lines = {
        tr("File: %1").arg(QFileInfo(fileName).fileName()),
        tr("Encoding: %1").arg(import.encoding),
        tr("Separator: %1").arg(csvSeparatorName(import.separator)),
        tr("Columns: %1").arg(mappingText(import.mapping)),
        tr("PLUs to import: %1").arg(import.rows.size()),
        tr("Lines left out: %1").arg(import.refusals.size()),
    };
    auto *summary = new QLabel(lines.join(QLatin1Char('\n')), this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return summary;
}

// The file's rows as the PLU table will hold them: the number, then the
// table's own columns, whatever order the file had.
QWidget *CsvPreviewDialog::createRowTable(const CsvImport &import)
{
    const int shown = int(qMin<qsizetype>(import.rows.size(), PreviewRows));
    auto *rows = new QTableWidget(shown, 1 + PLU_DATA_COLUMNS, this);
    rows->setObjectName(QStringLiteral("rows"));
    QStringList labels = { csvFieldName(CsvNumberField) };
    for (int column = 0; column < PLU_DATA_COLUMNS; ++column)
        labels << columnLabel(column);
    rows->setHorizontalHeaderLabels(labels);
    rows->verticalHeader()->hide();
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < shown; ++r) {
        const PLU_STRING &plu = import.rows[r].plu;
        rows->setItem(r, 0, readOnlyItem(plu.Number));
        for (int column = 0; column < PLU_DATA_COLUMNS; ++column)
            rows->setItem(r, 1 + column, readOnlyItem(plu.field(column)));
    }

    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const QString caption = import.rows.size() > shown
        ? tr("The first %1 of %2 PLUs:").arg(shown).arg(import.rows.size())
        : tr("PLUs:");
    layout->addWidget(new QLabel(caption, box));
    layout->addWidget(rows);
    return box;
}

QWidget *CsvPreviewDialog::createRefusalList(const CsvImport &import)
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    if (import.refusals.isEmpty()) {
        layout->addWidget(new QLabel(tr("No values were refused."), box));
        return box;
    }
    layout->addWidget(new QLabel(tr("Refused values (these lines are left out):"), box));
    auto *list = new QListWidget(box);
    list->setObjectName(QStringLiteral("refusals"));
    for (const CsvRefusal &refusal : import.refusals)
        list->addItem(csvRefusalLine(refusal));
    layout->addWidget(list);
    return box;
}

// With no row accepted both ways to go on would only empty or keep the
// table, so only Cancel is left.
void CsvPreviewDialog::createButtons(bool anyRows)
{
    auto *buttons = new QDialogButtonBox(this);
    m_replace = buttons->addButton(tr("Replace the table"), QDialogButtonBox::AcceptRole);
    m_update = buttons->addButton(tr("Update only these PLUs"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_replace->setEnabled(anyRows);
    m_update->setEnabled(anyRows);
    m_replace->setDefault(anyRows);
    connect(m_replace, &QPushButton::clicked, this, [this] {
        m_choice = CsvPreviewChoice::Replace;
        accept();
    });
    connect(m_update, &QPushButton::clicked, this, [this] {
        m_choice = CsvPreviewChoice::Update;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->addWidget(buttons);
}
