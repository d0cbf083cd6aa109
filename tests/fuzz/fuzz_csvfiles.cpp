// The CSV importer against arbitrary bytes: every row it accepts meets the
// column rules under a PLU number of its own, and whatever it accepted for
// a new table, exported and imported again, gives back the same table.
#include "csv.h"
#include "plutable.h"
#include "rules.h"

#include "require.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const CsvImport import = importCsv(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (import.failed()) {
        require(import.rows.isEmpty());
        return 0;
    }
    QSet<int> numbers;
    for (const CsvRow &row : import.rows) {
        require(row.number >= 0 && row.number < PLU_COUNT);
        require(!numbers.contains(row.number));
        numbers.insert(row.number);
        require(!import.canReplace() || !row.plu.Price.isEmpty());
        for (int col = 0; col < PLU_DATA_COLUMNS; ++col)
            require(refusalMessage(col, row.plu.field(col)).isEmpty());
    }
    for (const CsvRefusal &refusal : import.refusals)
        require(!refusal.reason.isEmpty());
    if (!import.canReplace())
        return 0;

    PluTable table;
    applyCsvImport(import, table, CsvApplyMode::ReplaceTable);
    require(table.rowsInUse().size() == import.rows.size());
    if (table.rowsInUse().isEmpty())
        return 0;   // a header alone is no file to import
    const CsvImport again = importCsv(csvFromTable(table));
    require(!again.failed() && again.refusals.isEmpty());
    PluTable reloaded;
    applyCsvImport(again, reloaded, CsvApplyMode::ReplaceTable);
    require(reloaded == table);
    return 0;
}
