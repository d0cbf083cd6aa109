// Reading the first sheet of an .xlsx or .ods workbook through liborcus.
// liborcus parses the archive and hands every cell, shared string, number
// format and formula result to the import interfaces implemented here,
// which keep only what the import needs: the cells of the first sheet with
// their types, and which cell formats show dates.

#include "workbook.h"
#include "csv.h"

#include <orcus/exception.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <QCoreApplication>
#include <QLocale>
#include <QtEndian>

#include <cctype>
#include <cmath>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace ss = orcus::spreadsheet;
namespace iface = orcus::spreadsheet::iface;

struct Workbook
{
    Q_DECLARE_TR_FUNCTIONS(Workbook)
};

// A PLU table never needs a sheet larger than this; a value beyond it
// fails the import rather than being dropped.
const ss::row_t MaxRows = MaxImportRows + 1000;
const ss::col_t MaxColumns = 1024;
// What one part of the archive, and all of it, may unpack to: a sheet of
// 999 PLUs is some 200 KiB, while a small archive can expand a thousandfold.
const quint64 MaxPartSize = 64 * 1024 * 1024;
const quint64 MaxUnpackedSize = 256 * 1024 * 1024;

QString columnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QString cellAddress(ss::row_t row, ss::col_t column)
{
    return columnLetters(column) + QString::number(row + 1);
}

// ---- the archive ------------------------------------------------------

quint32 le32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// Checks from the archive's directory, before anything is unpacked, that
// no part unpacks to more than a sheet of PLUs could need: the sizes the
// directory and each part's own header declare are the sizes the unpacking
// works with. Empty when the archive is fit to read, else the reason.
QString archiveRefusal(const QByteArray &bytes)
{
    const QString damaged = Workbook::tr("The file is a damaged zip archive, not a workbook that "
                                         "can be read. Save it again in the spreadsheet program "
                                         "and import again.");
    const qsizetype size = bytes.size();
    const qsizetype endRecord = 22;
    qsizetype end = -1;
    for (qsizetype at = size - endRecord; at >= 0 && at >= size - endRecord - 0xFFFF; --at) {
        if (le32(bytes, at) == 0x06054b50) {
            end = at;
            break;
        }
    }
    if (end < 0)
        return damaged;
    const quint16 entries = le16(bytes, end + 10);
    qsizetype at = le32(bytes, end + 16);
    quint64 total = 0;
    for (quint16 i = 0; i < entries; ++i) {
        if (at < 0 || at + 46 > size || le32(bytes, at) != 0x02014b50)
            return damaged;
        const quint64 unpacked = le32(bytes, at + 24);
        const qsizetype local = le32(bytes, at + 42);
        if (local < 0 || local + 30 > size || le32(bytes, local) != 0x04034b50)
            return damaged;
        const quint64 localUnpacked = le32(bytes, local + 22);
        const quint64 largest = std::max(unpacked, localUnpacked);
        total += largest;
        if (largest > MaxPartSize || total > MaxUnpackedSize)
            return Workbook::tr("The workbook unpacks to more than %1 MiB, far more than a sheet "
                                "of PLUs needs. Copy the PLUs to a new workbook and import that.")
                .arg(largest > MaxPartSize ? MaxPartSize >> 20 : MaxUnpackedSize >> 20);
        at += 46 + le16(bytes, at + 28) + le16(bytes, at + 30) + le16(bytes, at + 32);
    }
    return QString();
}

// ---- what liborcus hands over ----------------------------------------

class SharedStrings : public iface::import_shared_strings
{
public:
    std::vector<std::string> strings;

    size_t append(std::string_view s) override
    {
        strings.emplace_back(s);
        return strings.size() - 1;
    }
    size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                ss::color_elem_t) override {}
    void append_segment(std::string_view s) override { m_segments += s; }
    size_t commit_segments() override
    {
        strings.push_back(std::move(m_segments));
        m_segments.clear();
        return strings.size() - 1;
    }

private:
    std::string m_segments;
};

// Only the number formats matter: a number cell whose format shows a date
// or a time holds one.
class Styles : public iface::import_styles
{
public:
    bool showsDate(size_t xf) const
    {
        if (xf >= m_xfFormats.size())
            return false;
        const size_t id = m_xfFormats[xf];
        const auto custom = m_codes.find(id);
        if (custom != m_codes.end())
            return isDateCode(custom->second);
        // The formats every .xlsx reader knows by number: 14 to 22 and
        // 45 to 47 are dates and times, 27 to 36 and 50 to 58 East Asian ones.
        return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47)
            || (id >= 50 && id <= 58);
    }

    void set_font_count(size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(ss::underline_t) override {}
    void set_font_underline_width(ss::underline_width_t) override {}
    void set_font_underline_mode(ss::underline_mode_t) override {}
    void set_font_underline_type(ss::underline_type_t) override {}
    void set_font_underline_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                  ss::color_elem_t) override {}
    void set_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                        ss::color_elem_t) override {}
    void set_strikethrough_style(ss::strikethrough_style_t) override {}
    void set_strikethrough_type(ss::strikethrough_type_t) override {}
    void set_strikethrough_width(ss::strikethrough_width_t) override {}
    void set_strikethrough_text(ss::strikethrough_text_t) override {}
    size_t commit_font() override { return m_fonts++; }

    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(ss::fill_pattern_t) override {}
    void set_fill_fg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                           ss::color_elem_t) override {}
    void set_fill_bg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                           ss::color_elem_t) override {}
    size_t commit_fill() override { return m_fills++; }

    void set_border_count(size_t) override {}
    void set_border_style(ss::border_direction_t, ss::border_style_t) override {}
    void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t,
                          ss::color_elem_t, ss::color_elem_t) override {}
    void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override {}
    size_t commit_border() override { return m_borders++; }

    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return m_protections++; }

    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t id) override { m_formatId = id; }
    void set_number_format_code(std::string_view s) override { m_formatCode = s; }
    size_t commit_number_format() override
    {
        // An .ods file names its formats by their place in the list.
        const size_t id = m_formatId ? *m_formatId : m_codes.size();
        m_codes[id] = m_formatCode;
        m_formatId.reset();
        m_formatCode.clear();
        return id;
    }

    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t) override {}
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t index) override { m_xfFormat = index; }
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(ss::hor_alignment_t) override {}
    void set_xf_vertical_alignment(ss::ver_alignment_t) override {}
    size_t commit_cell_xf() override
    {
        m_xfFormats.push_back(m_xfFormat);
        m_xfFormat = 0;
        return m_xfFormats.size() - 1;
    }
    size_t commit_cell_style_xf() override
    {
        m_xfFormat = 0;
        return m_styleXfs++;
    }
    size_t commit_dxf() override
    {
        m_xfFormat = 0;
        return m_dxfs++;
    }

    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return m_cellStyles++; }

private:
    // Whether a number format code shows a date or a time: a y, m, d, h or
    // s outside quoted text, escaped characters and [colour] brackets.
    static bool isDateCode(const std::string &code)
    {
        bool quoted = false;
        int bracket = 0;
        for (size_t i = 0; i < code.size(); ++i) {
            const char c = code[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (quoted) {
                continue;
            } else if (c == '\\' || c == '_' || c == '*') {
                ++i;
            } else if (c == '[') {
                ++bracket;
                // [h], [mm], [ss]: elapsed time
                if (i + 1 < code.size() && std::string("hHmMsS").find(code[i + 1]) != std::string::npos)
                    return true;
            } else if (c == ']') {
                bracket = std::max(0, bracket - 1);
            } else if (bracket == 0 && std::string("yYmMdDhHsS").find(c) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    std::map<size_t, std::string> m_codes;
    std::optional<size_t> m_formatId;
    std::string m_formatCode;
    std::vector<size_t> m_xfFormats;
    size_t m_xfFormat = 0;
    size_t m_fonts = 0, m_fills = 0, m_borders = 0, m_protections = 0;
    size_t m_styleXfs = 0, m_dxfs = 0, m_cellStyles = 0;
};

// A cell as liborcus reported it, before the strings and formats are known.
struct RawCell
{
    enum Kind { Empty, SharedString, Text, Number, Boolean, Date, NoResult, Error };
    Kind kind = Empty;
    double number = 0.0;
    size_t stringId = 0;
    std::string text;
    std::optional<size_t> xf;
};

class Sheet;

// A formula's cell takes the result the file stores with it; without one
// the import cannot know the value.
class Formula : public iface::import_formula
{
public:
    explicit Formula(Sheet &sheet) : m_sheet(sheet) {}

    void set_position(ss::row_t row, ss::col_t col) override
    {
        m_row = row;
        m_col = col;
        m_result = RawCell();
        m_result.kind = RawCell::NoResult;
    }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override
    {
        m_result.kind = RawCell::Text;
        m_result.text = value;
        if (value.size() > 1 && value.front() == '#' && isErrorText(value))
            m_result.kind = RawCell::Error;
    }
    void set_result_value(double value) override
    {
        if (std::isnan(value))
            return;     // how liborcus passes on a result the file does not hold
        m_result.kind = RawCell::Number;
        m_result.number = value;
    }
    void set_result_bool(bool value) override
    {
        m_result.kind = RawCell::Boolean;
        m_result.number = value ? 1 : 0;
    }
    void set_result_empty() override
    {
        m_result.kind = RawCell::Text;
        m_result.text.clear();
    }
    void commit() override;

private:
    static bool isErrorText(std::string_view value)
    {
        for (const char *error : { "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!",
                                   "#N/A", "#GETTING_DATA" })
            if (value == error)
                return true;
        return false;
    }

    Sheet &m_sheet;
    ss::row_t m_row = 0;
    ss::col_t m_col = 0;
    RawCell m_result;
};

class ArrayFormula : public iface::import_array_formula
{
public:
    explicit ArrayFormula(Sheet &sheet) : m_sheet(sheet) {}

    void set_range(const ss::range_t &range) override { m_range = range; }
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_result_string(ss::row_t row, ss::col_t col, std::string_view value) override;
    void set_result_value(ss::row_t row, ss::col_t col, double value) override;
    void set_result_bool(ss::row_t row, ss::col_t col, bool value) override;
    void set_result_empty(ss::row_t row, ss::col_t col) override;
    void commit() override {}

private:
    Sheet &m_sheet;
    ss::range_t m_range {};
};

// The cells of one sheet, or of none: every sheet but the first is read
// by liborcus all the same and dropped here.
class Sheet : public iface::import_sheet
{
public:
    explicit Sheet(bool keep) : m_keep(keep), m_formula(*this), m_arrayFormula(*this) {}

    std::vector<std::vector<RawCell>> rows;
    // The first cell with a value outside the bounds, when there is one.
    std::optional<std::pair<ss::row_t, ss::col_t>> outside;

    RawCell *cell(ss::row_t row, ss::col_t col)
    {
        if (!m_keep || row < 0 || col < 0)
            return nullptr;
        if (row >= MaxRows || col >= MaxColumns) {
            if (!outside)
                outside = { row, col };
            return nullptr;
        }
        if (size_t(row) >= rows.size())
            rows.resize(size_t(row) + 1);
        std::vector<RawCell> &cells = rows[size_t(row)];
        if (size_t(col) >= cells.size())
            cells.resize(size_t(col) + 1);
        return &cells[size_t(col)];
    }

    void put(ss::row_t row, ss::col_t col, RawCell value)
    {
        if (RawCell *c = cell(row, col)) {
            value.xf = c->xf;
            *c = std::move(value);
        }
    }

    iface::import_formula *get_formula() override { return &m_formula; }
    iface::import_array_formula *get_array_formula() override { return &m_arrayFormula; }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override
    {
        RawCell c;
        c.kind = RawCell::Text;
        c.text = s;
        put(row, col, std::move(c));
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t id) override
    {
        RawCell c;
        c.kind = RawCell::SharedString;
        c.stringId = id;
        put(row, col, std::move(c));
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override
    {
        RawCell c;
        c.kind = RawCell::Number;
        c.number = value;
        put(row, col, std::move(c));
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override
    {
        RawCell c;
        c.kind = RawCell::Boolean;
        c.number = value ? 1 : 0;
        put(row, col, std::move(c));
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
                       int minute, double second) override
    {
        RawCell c;
        c.kind = RawCell::Date;
        c.text = QStringLiteral("%1-%2-%3 %4:%5:%6")
                     .arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'))
                     .arg(day, 2, 10, QLatin1Char('0')).arg(hour, 2, 10, QLatin1Char('0'))
                     .arg(minute, 2, 10, QLatin1Char('0')).arg(int(second), 2, 10, QLatin1Char('0'))
                     .toStdString();
        put(row, col, std::move(c));
    }
    void set_format(ss::row_t row, ss::col_t col, size_t xf) override
    {
        if (!m_keep || row < 0 || col < 0 || row >= MaxRows || col >= MaxColumns)
            return;     // a format alone holds no value
        if (RawCell *c = cell(row, col))
            c->xf = xf;
    }
    void set_format(ss::row_t rowStart, ss::col_t colStart, ss::row_t rowEnd, ss::col_t colEnd,
                    size_t xf) override
    {
        if (m_keep)
            m_rangeFormats.push_back({ { { rowStart, colStart }, { rowEnd, colEnd } }, xf });
    }
    // A row repeated down the sheet, as .ods files store equal rows.
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t count) override
    {
        if (!m_keep || row < 0 || col < 0 || size_t(row) >= rows.size()
            || size_t(col) >= rows[size_t(row)].size())
            return;
        const RawCell source = rows[size_t(row)][size_t(col)];
        if (source.kind == RawCell::Empty)
            return;
        for (ss::row_t r = row + 1; r <= row + count; ++r) {
            RawCell *c = cell(r, col);
            if (!c)
                return;
            *c = source;
        }
    }
    ss::range_size_t get_sheet_size() const override { return { 1048576, 16384 }; }

    // The format of a cell, its own or that of a range it lies in.
    std::optional<size_t> formatOf(ss::row_t row, ss::col_t col, const RawCell &c) const
    {
        if (c.xf)
            return c.xf;
        for (auto it = m_rangeFormats.rbegin(); it != m_rangeFormats.rend(); ++it) {
            const ss::range_t &r = it->first;
            if (row >= r.first.row && row <= r.last.row && col >= r.first.column
                && col <= r.last.column)
                return it->second;
        }
        return std::nullopt;
    }

private:
    const bool m_keep;
    Formula m_formula;
    ArrayFormula m_arrayFormula;
    std::vector<std::pair<ss::range_t, size_t>> m_rangeFormats;
};

void Formula::commit()
{
    m_sheet.put(m_row, m_col, m_result);
}

void ArrayFormula::set_result_string(ss::row_t row, ss::col_t col, std::string_view value)
{
    RawCell c;
    c.kind = RawCell::Text;
    c.text = value;
    m_sheet.put(m_range.first.row + row, m_range.first.column + col, std::move(c));
}

void ArrayFormula::set_result_value(ss::row_t row, ss::col_t col, double value)
{
    RawCell c;
    c.kind = RawCell::Number;
    c.number = value;
    m_sheet.put(m_range.first.row + row, m_range.first.column + col, std::move(c));
}

void ArrayFormula::set_result_bool(ss::row_t row, ss::col_t col, bool value)
{
    RawCell c;
    c.kind = RawCell::Boolean;
    c.number = value ? 1 : 0;
    m_sheet.put(m_range.first.row + row, m_range.first.column + col, std::move(c));
}

void ArrayFormula::set_result_empty(ss::row_t row, ss::col_t col)
{
    RawCell c;
    c.kind = RawCell::Text;
    m_sheet.put(m_range.first.row + row, m_range.first.column + col, std::move(c));
}

// Cell addresses as the workbook writes them ("B7", "$B$7", "A1:C9"), for
// the cell references of a sheet's parts; the sheet is always the first.
class References : public iface::import_reference_resolver
{
public:
    ss::src_address_t resolve_address(std::string_view address) override
    {
        std::string_view rest = address;
        const ss::src_address_t found = parse(rest);
        if (!rest.empty())
            throw orcus::invalid_arg_error("not a cell address");
        return found;
    }
    ss::src_range_t resolve_range(std::string_view range) override
    {
        std::string_view rest = range;
        ss::src_range_t found { parse(rest), {} };
        found.last = found.first;
        if (!rest.empty() && rest.front() == ':') {
            rest.remove_prefix(1);
            found.last = parse(rest);
        }
        if (!rest.empty())
            throw orcus::invalid_arg_error("not a cell range");
        return found;
    }

private:
    static ss::src_address_t parse(std::string_view &text)
    {
        const size_t sheetEnd = text.find('!');
        if (sheetEnd != std::string_view::npos && text.find(':') > sheetEnd)
            text.remove_prefix(sheetEnd + 1);
        ss::src_address_t address { 0, 0, 0 };
        skipDollar(text);
        qint64 column = 0;
        size_t letters = 0;
        while (!text.empty() && std::isalpha(uchar(text.front())) && column < MaxColumns * 64) {
            column = column * 26 + (std::toupper(uchar(text.front())) - 'A' + 1);
            text.remove_prefix(1);
            ++letters;
        }
        skipDollar(text);
        qint64 row = 0;
        size_t digits = 0;
        while (!text.empty() && std::isdigit(uchar(text.front())) && row < 1LL << 40) {
            row = row * 10 + (text.front() - '0');
            text.remove_prefix(1);
            ++digits;
        }
        if (letters == 0 || digits == 0 || row == 0 || row > 1048576 || column > 16384)
            throw orcus::invalid_arg_error("not a cell address");
        address.row = ss::row_t(row - 1);
        address.column = ss::col_t(column - 1);
        return address;
    }

    static void skipDollar(std::string_view &text)
    {
        if (!text.empty() && text.front() == '$')
            text.remove_prefix(1);
    }
};

class Factory : public iface::import_factory
{
public:
    SharedStrings strings;
    Styles styles;
    Sheet first { true };
    QString firstName;

    iface::import_shared_strings *get_shared_strings() override { return &strings; }
    iface::import_styles *get_styles() override { return &styles; }
    iface::import_reference_resolver *get_reference_resolver(ss::formula_ref_context_t) override
    {
        return &m_references;
    }
    iface::import_sheet *append_sheet(ss::sheet_t index, std::string_view name) override
    {
        if (index != 0)
            return &m_others;
        firstName = QString::fromUtf8(name.data(), qsizetype(name.size()));
        return &first;
    }
    iface::import_sheet *get_sheet(std::string_view name) override
    {
        return QString::fromUtf8(name.data(), qsizetype(name.size())) == firstName ? &first
                                                                                    : &m_others;
    }
    iface::import_sheet *get_sheet(ss::sheet_t index) override
    {
        return index == 0 ? &first : &m_others;
    }
    void finalize() override {}

private:
    Sheet m_others { false };
    References m_references;
};

SheetCell sheetCell(const Factory &factory, ss::row_t row, ss::col_t col, const RawCell &raw)
{
    SheetCell cell;
    cell.address = cellAddress(row, col);
    switch (raw.kind) {
    case RawCell::Empty:
        break;
    case RawCell::SharedString:
        if (raw.stringId < factory.strings.strings.size())
            cell.text = QString::fromStdString(factory.strings.strings[raw.stringId]);
        break;
    case RawCell::Text:
        cell.text = QString::fromStdString(raw.text);
        break;
    case RawCell::Number: {
        const std::optional<size_t> xf = factory.first.formatOf(row, col, raw);
        cell.kind = xf && factory.styles.showsDate(*xf) ? SheetCell::Date : SheetCell::Number;
        cell.number = raw.number;
        cell.text = QString::number(raw.number, 'g', QLocale::FloatingPointShortest);
        break;
    }
    case RawCell::Boolean:
        cell.kind = SheetCell::Boolean;
        cell.text = raw.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        break;
    case RawCell::Date:
        cell.kind = SheetCell::Date;
        cell.text = QString::fromStdString(raw.text);
        break;
    case RawCell::NoResult:
        cell.kind = SheetCell::NoResult;
        break;
    case RawCell::Error:
        cell.kind = SheetCell::Error;
        cell.text = QString::fromStdString(raw.text);
        break;
    }
    return cell;
}

QList<SheetRecord> sheetRecords(const Factory &factory)
{
    QList<SheetRecord> records;
    const auto &rows = factory.first.rows;
    records.reserve(qsizetype(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        SheetRecord record;
        record.line = int(r) + 1;
        size_t used = rows[r].size();
        while (used > 0 && rows[r][used - 1].kind == RawCell::Empty)
            --used;
        for (size_t c = 0; c < used; ++c)
            record.cells.append(sheetCell(factory, ss::row_t(r), ss::col_t(c), rows[r][c]));
        records.append(std::move(record));
    }
    return records;
}

QString unreadable(const QString &why)
{
    return Workbook::tr("The workbook could not be read (%1). Save it again in the spreadsheet "
                        "program, as .xlsx or .ods, and import again.").arg(why);
}

} // namespace

FileContents fileContents(const QByteArray &bytes)
{
    if (bytes.startsWith("PK\x03\x04"))
        return FileContents::Workbook;
    qsizetype at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && QByteArrayView(" \t\r\n").contains(bytes.at(at)))
        ++at;
    return at < bytes.size() && bytes.at(at) == '<' ? FileContents::PluFile : FileContents::Text;
}

// liborcus reports every fault of the file as an exception; none leaves
// this function.
CsvImport importWorkbook(const QByteArray &bytes)
{
    CsvImport result;
    result.error = archiveRefusal(bytes);
    if (result.failed())
        return result;
    const auto *blob = reinterpret_cast<const unsigned char *>(bytes.constData());
    const std::string_view stream(bytes.constData(), size_t(bytes.size()));
    Factory factory;
    SheetFormat format = SheetFormat::Xlsx;
    try {
        if (orcus::orcus_xlsx::detect(blob, size_t(bytes.size()))) {
            orcus::orcus_xlsx reader(&factory);
            reader.read_stream(stream);
        } else if (orcus::orcus_ods::detect(blob, size_t(bytes.size()))) {
            format = SheetFormat::Ods;
            orcus::orcus_ods reader(&factory);
            reader.read_stream(stream);
        } else {
            result.error = Workbook::tr("The file is a zip archive, but neither an .xlsx nor an "
                                        ".ods workbook. Choose a CSV, .xlsx or .ods file.");
            return result;
        }
    } catch (const std::exception &e) {
        result.error = unreadable(QString::fromLocal8Bit(e.what()));
        return result;
    } catch (...) {
        result.error = unreadable(Workbook::tr("unknown error"));
        return result;
    }
    if (factory.first.outside) {
        const auto [row, col] = *factory.first.outside;
        result.error = Workbook::tr("The first sheet has a value in cell %1, beyond the %2 rows and "
                                    "%3 columns a table of PLUs could need. Remove what lies beyond "
                                    "the PLUs, or copy the PLUs to a new workbook, and import again.")
                           .arg(cellAddress(row, col)).arg(MaxRows).arg(MaxColumns);
        return result;
    }
    result = importRecords(sheetRecords(factory), format);
    result.sheet = factory.firstName;
    return result;
}

CsvImport importSpreadsheet(const QByteArray &bytes, TextEncoding encoding)
{
    switch (fileContents(bytes)) {
    case FileContents::Workbook:
        return importWorkbook(bytes);
    case FileContents::PluFile: {
        CsvImport result;
        result.error = Workbook::tr("The file is a PLU file, not a spreadsheet. Open it with "
                                    "File > Open.");
        return result;
    }
    case FileContents::Text:
        break;
    }
    return importCsv(bytes, encoding);
}
