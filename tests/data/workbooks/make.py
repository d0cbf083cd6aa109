#!/usr/bin/env python3
# Writes the workbooks tst_workbook reads: cells that no spreadsheet program
# writes on request (a formula without its stored result, a number format
# that shows a date, an archive that claims a huge part), built part by part
# with Python's zipfile. Run once from this folder; the files are committed.
import zipfile

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>
</Types>"""

RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""

WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Goods" sheetId="1" r:id="rId1"/></sheets>
</workbook>"""

WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>
</Relationships>"""

# Cell formats: 0 general, 1 the built-in date 14, 2 a date of its own
# ("dd.mm.yyyy"), 3 a number with a text in quotes that holds a "d".
STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="2"><numFmt numFmtId="164" formatCode="dd\\.mm\\.yyyy"/><numFmt numFmtId="165" formatCode="0.00&quot; days&quot;"/></numFmts>
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="4"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/><xf numFmtId="165" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>
</styleSheet>"""


def xlsx(name, rows, strings, declared_size=None):
    """rows: lists of raw <c> contents keyed by column letter, row numbers from 1."""
    sheet = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
             '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>']
    for number, cells in rows:
        if number is None:     # a row after the last, without addresses
            sheet.append('<row>' + ''.join('<c%s</c>' % cell for _, cell in cells))
        else:
            sheet.append('<row r="%d">' % number)
            for column, cell in cells:
                sheet.append('<c r="%s%d"%s</c>' % (column, number, cell))
        sheet.append('</row>')
    sheet.append('</sheetData></worksheet>')
    shared = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
              '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">'
              % (len(strings), len(strings))]
    shared += ['<si><t xml:space="preserve">%s</t></si>' % s for s in strings]
    shared.append('</sst>')
    with zipfile.ZipFile(name, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        z.writestr("xl/styles.xml", STYLES)
        z.writestr("xl/sharedStrings.xml", "".join(shared))
        z.writestr("xl/worksheets/sheet1.xml", "".join(sheet))
    if declared_size is not None:
        patch_declared_size(name, "xl/worksheets/sheet1.xml", declared_size)


def patch_declared_size(name, part, size):
    """Makes the directory and the part's own header claim another unpacked size."""
    data = bytearray(open(name, "rb").read())
    encoded = part.encode()
    at = 0
    while True:
        at = data.find(encoded, at)
        if at < 0:
            break
        for header, offset in ((b"PK\x03\x04", 30), (b"PK\x01\x02", 46)):
            start = at - offset
            if start >= 0 and data[start:start + 4] == header:
                field = 22 if header == b"PK\x03\x04" else 24
                data[start + field:start + field + 4] = size.to_bytes(4, "little")
        at += len(encoded)
    open(name, "wb").write(data)


def s(index):
    return ' t="s"><v>%d</v>' % index


def n(value, style=0):
    return ' s="%d"><v>%s</v>' % (style, value)


HEADER = ("A", s(0)), ("B", s(1)), ("C", s(2)), ("D", s(3)), ("E", s(4))
STRINGS = ["Number", "Price", "Name1", "Barcode", "Durability", "Milk", "00123"]

# Number cells and formulas, row by row: what each should give is in the test.
xlsx("cells.xlsx", [
    (1, HEADER),
    (2, [("A", n(1)), ("B", n("12.499999999999")), ("C", s(5)), ("D", n("4600000000008")), ("E", n(30))]),
    (3, [("A", n(2)), ("B", n("12.505")), ("C", s(6))]),
    (4, [("A", n(3)), ("B", n(1)), ("D", n(123))]),
    (5, [("A", n(4)), ("B", n(2)), ("E", n(45296, 1))]),
    (6, [("A", n(5)), ("B", n(3)), ("E", n(45296, 2))]),
    (7, [("A", n(6)), ("B", n(4)), ("E", n(7, 3))]),
    (8, [("A", n(7)), ("B", "><f>2+3</f><v>5</v>"), ("C", ' t="str"><f>"Tea"</f><v>Tea</v>')]),
    (9, [("A", n(8)), ("B", "><f>2+3</f>")]),
    (10, [("A", n(9)), ("B", ' t="b"><v>1</v>')]),
    (11, [("A", n("10.5")), ("B", n(1))]),
    (12, [("A", n(11)), ("B", n(1)), ("F", s(5))]),
    (13, [("A", n(12)), ("B", ' t="e"><f>1/0</f><v>#DIV/0!</v>')]),
    (14, [("A", n(13)), ("B", n(1)), ("C", n(123))]),
], STRINGS)

# A value a million rows down, in a file of a few hundred bytes more.
xlsx("far_row.xlsx", [(1, HEADER), (2, [("A", n(1)), ("B", n(1))]), (1000000, [("A", n(2))])], STRINGS)

# A million rows of values: some 30 MiB of sheet packed into a small file.
xlsx("million_rows.xlsx", [(1, HEADER)] + [(None, [("A", n(1))])] * 999999, STRINGS)

# The sheet claims to unpack to 3 GiB.
xlsx("claims_huge_part.xlsx", [(1, HEADER), (2, [("A", n(1)), ("B", n(1))])], STRINGS,
     declared_size=3 * 1024 ** 3)

# A zip archive that is no workbook.
with zipfile.ZipFile("not_a_workbook.zip", "w") as z:
    z.writestr("readme.txt", "hello")

# An .ods file as Calc writes one, reduced to the content: strings, floats,
# a date, a time, a formula with its number result and a repeated row.
ODS_CONTENT = """<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.3">
<office:body><office:spreadsheet>
<table:table table:name="Товары">
<table:table-row>
 <table:table-cell office:value-type="string"><text:p>Номер</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Цена</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Наименование</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Штрихкод</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Срок годности</text:p></table:table-cell>
</table:table-row>
<table:table-row>
 <table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell>
 <table:table-cell office:value-type="float" office:value="12.5"><text:p>12,50</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>Мёд</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>0012345678905</text:p></table:table-cell>
 <table:table-cell office:value-type="float" office:value="30"><text:p>30</text:p></table:table-cell>
</table:table-row>
<table:table-row>
 <table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell>
 <table:table-cell table:formula="of:=2+3" office:value-type="float" office:value="5"><text:p>5</text:p></table:table-cell>
 <table:table-cell office:value-type="string"><text:p>  blanks  </text:p></table:table-cell>
 <table:table-cell/>
 <table:table-cell office:value-type="date" office:date-value="2024-01-05"><text:p>05.01.24</text:p></table:table-cell>
</table:table-row>
<table:table-row>
 <table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p></table:table-cell>
 <table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell>
</table:table-row>
</table:table>
<table:table table:name="Second">
<table:table-row><table:table-cell office:value-type="string"><text:p>ignored</text:p></table:table-cell></table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document-content>"""

MANIFEST = """<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">
 <manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>
 <manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
</manifest:manifest>"""

with zipfile.ZipFile("goods.ods", "w") as z:
    z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet", zipfile.ZIP_STORED)
    z.writestr("META-INF/manifest.xml", MANIFEST, zipfile.ZIP_DEFLATED)
    z.writestr("content.xml", ODS_CONTENT, zipfile.ZIP_DEFLATED)
