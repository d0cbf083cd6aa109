#include "findfilter.h"
#include "plusheet.h"

#include <QInputDialog>
#include <QKeyEvent>
#include <QTableWidget>

namespace {

void selectCell(QTableWidget *table, int row, int column)
{
    table->setCurrentCell(row, column);
    table->scrollTo(table->model()->index(row, column), QAbstractItemView::PositionAtCenter);
    table->setFocus();
}

} // namespace

// Case folded, and ё as е: Russian readers take them for one letter, and
// most Russian text writes е for both.
QString searchForm(const QString &text)
{
    QString folded = text.toCaseFolded();
    folded.replace(QChar(0x0451), QChar(0x0435));
    return folded;
}

bool rowMatches(const PLU_STRING &row, const QString &needle)
{
    const QString sought = searchForm(needle);
    const QString searched[] = { row.Number, row.Price, row.Name[0], row.Name[1],
                                 row.Name[2], row.Barcode };
    for (const QString &text : searched) {
        if (searchForm(text).contains(sought))
            return true;
    }
    return false;
}

int applyFilter(QTableWidget *table, const QString &needle)
{
    const int rows = table->rowCount();
    int shown = 0;
    for (int row = 0; row < rows; ++row) {
        const bool match = needle.isEmpty() || rowMatches(pluOfTableRow(table, row), needle);
        // Only a change is passed on: each setRowHidden relays the header.
        if (table->isRowHidden(row) == match)
            table->setRowHidden(row, !match);
        if (match)
            ++shown;
    }
    return shown;
}

QString shownRowsText(int shown)
{
    return FindField::tr("%1 of %2 rows shown").arg(shown).arg(PLU_COUNT);
}

std::optional<int> askPluNumber(QWidget *parent, int current)
{
    bool ok = false;
    const int number = QInputDialog::getInt(parent, FindField::tr("Go to PLU"),
                                            FindField::tr("PLU number:"), current,
                                            0, PLU_COUNT - 1, 1, &ok);
    if (!ok)
        return std::nullopt;
    return number;
}

FindField::FindField(QTableWidget *table, QWidget *parent)
    : QLineEdit(parent), m_table(table)
{
    setPlaceholderText(tr("Find"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this, &FindField::refilter);
}

void FindField::focusForTyping()
{
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void FindField::refilter()
{
    if (m_table)
        emit filterApplied(applyFilter(m_table, text()));
}

void FindField::goToCell(int row, int column)
{
    if (!m_table || row < 0 || row >= m_table->rowCount())
        return;
    // Cleared as typing would clear it, so that the clear button goes too;
    // the change of text filters again.
    if (m_table->isRowHidden(row))
        clear();
    selectCell(m_table, row, column);
}

void FindField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
