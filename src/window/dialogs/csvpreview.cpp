#include "csvpreview.h"
#include "rules.h"
#include "workbook.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
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

// The encodings of the chooser, in its order.
const TextEncoding Encodings[] = { TextEncoding::Automatic, TextEncoding::Utf8,
                                   TextEncoding::Windows1251, TextEncoding::Utf16 };

} // namespace

CsvPreviewDialog::CsvPreviewDialog(const CsvImport &import, const QString &fileName,
                                   QWidget *parent, const QByteArray &bytes)
    : QDialog(parent), m_import(import), m_fileName(fileName), m_bytes(bytes)
{
    setWindowTitle(tr("Import"));
    m_layout = new QVBoxLayout(this);
    if (!m_bytes.isEmpty() && m_import.format == SheetFormat::Text)
        m_layout->addWidget(createEncodingChoice());
    createButtons();
    showImport();
    resize(860, 600);
}

CsvPreviewChoice CsvPreviewDialog::ask(QWidget *parent, const QByteArray &bytes,
                                       CsvImport &import, const QString &fileName)
{
    CsvPreviewDialog dialog(import, fileName, parent, bytes);
    dialog.exec();
    import = dialog.import();
    return dialog.choice();
}

QWidget *CsvPreviewDialog::createEncodingChoice()
{
    auto *box = new QWidget(this);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto *encoding = new QComboBox(box);
    encoding->setObjectName(QStringLiteral("encoding"));
    encoding->addItems({ tr("Found from the file"), QStringLiteral("UTF-8"),
                         QStringLiteral("Windows-1251"), QStringLiteral("UTF-16") });
    auto *label = new QLabel(tr("&Encoding:"), box);
    label->setBuddy(encoding);
    row->addWidget(label);
    row->addWidget(encoding);
    row->addStretch();
    connect(encoding, &QComboBox::currentIndexChanged, this, &CsvPreviewDialog::readAgain);
    return box;
}

void CsvPreviewDialog::readAgain(int encodingIndex)
{
    if (encodingIndex < 0 || encodingIndex >= int(std::size(Encodings)))
        return;
    m_import = importCsv(m_bytes, Encodings[encodingIndex]);
    showImport();
}

// The page below the encoding choice is made anew for each reading.
void CsvPreviewDialog::showImport()
{
    delete m_page;
    m_page = new QWidget(this);
    auto *layout = new QVBoxLayout(m_page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createSummary());
    if (!m_import.failed()) {
        layout->addWidget(createRowTable(), 2);
        layout->addWidget(createRefusalList(), 1);
    } else {
        layout->addStretch();
    }
    m_layout->insertWidget(m_layout->count() - 1, m_page, 1);

    const bool anyRows = !m_import.failed() && !m_import.rows.isEmpty();
    m_replace->setEnabled(anyRows && m_import.canReplace());
    m_replace->setToolTip(m_import.replaceRefusal());
    m_update->setEnabled(anyRows);
    (m_replace->isEnabled() ? m_replace : m_update)->setDefault(anyRows);
}

QWidget *CsvPreviewDialog::createSummary()
{
    QStringList lines = { tr("File: %1").arg(QFileInfo(m_fileName).fileName()) };
    switch (m_import.format) {
    case SheetFormat::Text:
        lines << tr("Format: CSV text");
        if (!m_import.encoding.isEmpty())
            lines << tr("Encoding: %1").arg(m_import.encoding);
        if (!m_import.failed())
            lines << tr("Separator: %1").arg(csvSeparatorName(m_import.separator));
        break;
    case SheetFormat::Xlsx:
        lines << tr("Format: Excel workbook (.xlsx), first sheet \"%1\"").arg(m_import.sheet);
        break;
    case SheetFormat::Ods:
        lines << tr("Format: OpenDocument spreadsheet (.ods), first sheet \"%1\"").arg(m_import.sheet);
        break;
    }
    if (m_import.failed()) {
        lines << QString() << m_import.error;
    } else {
        lines << tr("Columns: %1").arg(mappingText(m_import.mapping))
              << tr("PLUs to import: %1").arg(m_import.rows.size())
              << (m_import.format == SheetFormat::Text
                      ? tr("Lines left out: %n", nullptr, m_import.linesLeftOut())
                      : tr("Rows left out: %n", nullptr, m_import.linesLeftOut()));
        if (!m_import.canReplace())
            lines << tr("Without a Price column the file can only update the PLUs it lists.");
    }
    auto *summary = new QLabel(lines.join(QLatin1Char('\n')), m_page);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return summary;
}

// The file's rows as the PLU table will hold them: the number, then the
// table's own columns, whatever order the file had, each as wide as what
// it shows.
QWidget *CsvPreviewDialog::createRowTable()
{
    const int shown = int(qMin<qsizetype>(m_import.rows.size(), PreviewRows));
    auto *rows = new QTableWidget(shown, 1 + PLU_DATA_COLUMNS, m_page);
    rows->setObjectName(QStringLiteral("rows"));
    QStringList labels = { csvFieldName(CsvNumberField) };
    for (int column = 0; column < PLU_DATA_COLUMNS; ++column)
        labels << columnLabel(column);
    rows->setHorizontalHeaderLabels(labels);
    rows->verticalHeader()->hide();
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < shown; ++r) {
        const PLU_STRING &plu = m_import.rows[r].plu;
        rows->setItem(r, 0, readOnlyItem(plu.Number));
        for (int column = 0; column < PLU_DATA_COLUMNS; ++column)
            rows->setItem(r, 1 + column, readOnlyItem(plu.field(column)));
    }
    rows->resizeColumnsToContents();

    auto *box = new QWidget(m_page);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const QString caption = m_import.rows.size() > shown
        ? tr("The first %1 of %2 PLUs:").arg(shown).arg(m_import.rows.size())
        : tr("PLUs:");
    layout->addWidget(new QLabel(caption, box));
    layout->addWidget(rows);
    return box;
}

QWidget *CsvPreviewDialog::createRefusalList()
{
    auto *box = new QWidget(m_page);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    if (m_import.refusals.isEmpty()) {
        layout->addWidget(new QLabel(tr("No values were refused."), box));
        return box;
    }
    layout->addWidget(new QLabel(tr("Refused values (these lines are left out):"), box));
    auto *list = new QListWidget(box);
    list->setObjectName(QStringLiteral("refusals"));
    for (const CsvRefusal &refusal : m_import.refusals)
        list->addItem(csvRefusalLine(refusal));
    layout->addWidget(list);
    return box;
}

// With no row accepted both ways to go on would only empty or keep the
// table, so only Cancel is left; without a Price column Replace would
// leave no PLU in use, so only Update and Cancel are.
void CsvPreviewDialog::createButtons()
{
    auto *buttons = new QDialogButtonBox(this);
    m_replace = buttons->addButton(tr("&Replace the table"), QDialogButtonBox::AcceptRole);
    m_update = buttons->addButton(tr("&Update only these PLUs"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(m_replace, &QPushButton::clicked, this, [this] {
        m_choice = CsvPreviewChoice::Replace;
        accept();
    });
    connect(m_update, &QPushButton::clicked, this, [this] {
        m_choice = CsvPreviewChoice::Update;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_layout->addWidget(buttons);
}
