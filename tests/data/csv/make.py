#!/usr/bin/env python3
# Writes the CSV files tst_csv imports, with Python's csv module as an
# independent writer. Run once from this folder; the files are committed.
import csv


def write(name, encoding, delimiter, rows, quoting=csv.QUOTE_MINIMAL, lineterminator="\r\n"):
    with open(name, "w", encoding=encoding, newline="") as f:
        w = csv.writer(f, delimiter=delimiter, quoting=quoting, lineterminator=lineterminator)
        w.writerows(rows)


write("utf8bom_semicolon.csv", "utf-8-sig", ";", [
    ["Number", "Price", "Name1", "Name2", "Name3", "Barcode", "Durability"],
    ["1", "12,50", "Молоко 3,2%", "Пакет; 1 л", 'Сорт "Экстра"', "4600000000008", "7"],
    ["2", "0.99", "Bread", "", "", "", ""],
    ["998", "9999.99", "'=SUM(A1)", "  spaced  ", "", "2000000000015", "255"],
])

write("utf8_comma.csv", "utf-8", ",", [
    ["PLU", "price", "NAME1", "name2", "Name3", "barcode", "DURABILITY"],
    ["10", "3.5", "Äpfel, rot", "Crème brûlée", "", "4006381333931", "12"],
    ["11", "1", "Tea", "", "", "", "0"],
], lineterminator="\n")

# A Russian accounting program: Windows-1251, TAB, its own column order.
write("cp1251_tab_russian.csv", "cp1251", "\t", [
    ["Код", "Наименование", "Цена", "Штрихкод", "Срок годности", "Остаток"],
    ["5", "Сыр Российский", "450,00", "4607001234566", "30", "12"],
    ["6", "Хлеб", "35", "", "", "0"],
])

# The XML file's attribute names; every field quoted.
write("xml_names_quoted.csv", "utf-8", ";", [
    ["Number", "Price", "Name0", "Name1", "Name2", "Barcode", "Durability"],
    ["3", "2.00", "first", "second", "third", "", "1"],
], quoting=csv.QUOTE_ALL)

# What a spreadsheet does to barcodes and what users do to a sheet.
write("spreadsheet_faults.csv", "utf-8", ";", [
    ["Number", "Price", "Name1", "Barcode"],
    ["1", "1.00", "ok", "4600000000008"],
    ["2", "1.00", "scientific", "4.6E+12"],
    ["3", "1.00", "leading zeros gone", "46001234"],
    ["1", "2.00", "duplicate number", ""],
    ["4", "1.00", "twenty characters 20", ""],
    ["5", "1.00", "line\nbreak", ""],
    ["6", "abc", "bad price", ""],
    ["7", "", "no price", ""],
    ["8", "1.00", "last", ""],
])
