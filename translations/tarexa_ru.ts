<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AllScalesProgressDialog</name>
    <message>
        <source>Programming Changes to All Scales</source>
        <translation>Запись изменений во все весы</translation>
    </message>
    <message>
        <source>Waiting for the port</source>
        <translation>Ожидание порта</translation>
    </message>
    <message>
        <source>Stopping after the current PLU...</source>
        <translation>Остановка после текущего PLU...</translation>
    </message>
    <message>
        <source>Sending</source>
        <translation>Передача</translation>
    </message>
</context>
<context>
    <name>AllScalesText</name>
    <message>
        <source>nothing to send; it holds the table&apos;s PLUs as they are.</source>
        <translation>передавать нечего: PLU таблицы уже записаны в весах.</translation>
    </message>
    <message>
        <source>not reached; cancelled before its turn.</source>
        <translation>не достигнуты: отменено до их очереди.</translation>
    </message>
    <message>
        <source>%1 of %2 PLUs sent, %3 refused; %4.</source>
        <translation>передано PLU: %1 из %2, отклонено: %3; %4.</translation>
    </message>
    <message>
        <source>left out, since nothing is known of what it holds. Compare it with the table first.</source>
        <translation>пропущены, так как о их содержимом ничего не известно. Сначала сравните их с таблицей.</translation>
    </message>
    <message>
        <source>nothing sent. %1</source>
        <translation>ничего не отправлено. %1</translation>
    </message>
</context>
<context>
    <name>ChangesQuestions</name>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 и ещё %2</translation>
    </message>
    <message>
        <source>Program Changes</source>
        <translation>Записать изменения</translation>
    </message>
    <message>
        <source>Tarexa does not know what the scale %1 holds yet.</source>
        <translation>Tarexa пока не знает, что хранится в весах %1.</translation>
    </message>
    <message>
        <source>Tarexa knows only part of what the scale %1 holds: a transfer or a read stopped early.</source>
        <translation>Tarexa знает лишь часть того, что хранится в весах %1: обмен или чтение прервались.</translation>
    </message>
    <message>
        <source>Compare reads the scale first and shows what differs; you can send the changes from there. Program All sends every row in use of the table.</source>
        <translation>«Сравнить» сначала считывает весы и показывает различия; оттуда можно отправить изменения. «Записать все» отправляет все заполненные строки таблицы.</translation>
    </message>
    <message>
        <source>The scale holds PLUs that the table does not: %1.</source>
        <translation>В весах есть PLU, которых нет в таблице: %1.</translation>
    </message>
    <message>
        <source>Delete them from the scale as well? Choose No to send only the changes and keep them on the scale.</source>
        <translation>Удалить их и из весов? Выберите «Нет», чтобы отправить только изменения и оставить их в весах.</translation>
    </message>
    <message>
        <source>Tarexa</source>
        <translation>Tarexa</translation>
    </message>
    <message>
        <source>Nothing differs from what the scale holds; nothing was sent.</source>
        <translation>Различий с весами нет; ничего не отправлено.</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>&amp;Сравнить</translation>
    </message>
    <message>
        <source>Program &amp;All</source>
        <translation>Записать &amp;все</translation>
    </message>
</context>
<context>
    <name>Check</name>
    <message>
        <source>The last digit of the barcode should be %1; a scanner will not read it. Check the barcode.</source>
        <translation>Последняя цифра штрихкода должна быть %1, иначе сканер его не прочтёт. Проверьте штрихкод.</translation>
    </message>
    <message>
        <source>The scale cannot show %1 and would print &apos;?&apos; instead. Replace these characters.</source>
        <translation>Весы не могут показать %1 и напечатают вместо этого «?». Замените эти символы.</translation>
    </message>
    <message>
        <source>The name holds a TAB, a line break or another control character, which the scale cannot show. Remove it.</source>
        <translation>В наименовании есть табуляция, перевод строки или другой управляющий символ, который весы не могут показать. Удалите его.</translation>
    </message>
    <message>
        <source>PLU %1 has the same barcode as PLU %2. Give each PLU its own barcode.</source>
        <translation>У PLU %1 тот же штрихкод, что и у PLU %2. Дайте каждому PLU свой штрихкод.</translation>
    </message>
    <message>
        <source>PLU %1, %2 &quot;%3&quot;: %4</source>
        <translation>PLU %1, %2 «%3»: %4</translation>
    </message>
</context>
<context>
    <name>CheckFindingsDialog</name>
    <message>
        <source>Check</source>
        <translation>Проверка</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>Problems found in the rows in use:</source>
        <translation>Найдены проблемы в заполненных строках:</translation>
    </message>
    <message>
        <source>Program anyway?</source>
        <translation>Всё равно записать?</translation>
    </message>
    <message>
        <source>No problems found.</source>
        <translation>Проблем не найдено.</translation>
    </message>
</context>
<context>
    <name>CompareDialog</name>
    <message>
        <source>The table and the scale hold the same PLUs.</source>
        <translation>В таблице и в весах одинаковые PLU.</translation>
    </message>
    <message>
        <source>The table beside what the scale %1 holds: %2 only in the table, %3 only on the scale, %4 held differently.</source>
        <translation>Таблица в сравнении с весами %1: только в таблице — %2, только в весах — %3, различаются — %4.</translation>
    </message>
    <message>
        <source>Compare with Scale</source>
        <translation>Сравнить с весами</translation>
    </message>
    <message>
        <source>PLU</source>
        <translation>PLU</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Поле</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>Таблица</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Весы</translation>
    </message>
    <message>
        <source>Only in the table (%1)</source>
        <translation>Только в таблице (%1)</translation>
    </message>
    <message>
        <source>Only on the scale (%1)</source>
        <translation>Только в весах (%1)</translation>
    </message>
    <message>
        <source>Different (%1)</source>
        <translation>Различаются (%1)</translation>
    </message>
    <message>
        <source>Program &amp;Changes</source>
        <translation>Записать &amp;изменения</translation>
    </message>
</context>
<context>
    <name>Csv</name>
    <message>
        <source>The header names the %1 column twice, as &quot;%2&quot; and &quot;%3&quot;. Rename or remove one of them and import again.</source>
        <translation>В заголовке столбец %1 указан дважды: «%2» и «%3». Переименуйте или удалите один из них и импортируйте снова.</translation>
    </message>
    <message>
        <source>The file has no Number column; its header holds %1. Name the column of PLU numbers Number, PLU or Номер and import again.</source>
        <translation>В файле нет столбца номеров; в заголовке: %1. Назовите столбец номеров PLU «Number», «PLU» или «Номер» и импортируйте снова.</translation>
    </message>
    <message>
        <source>A spreadsheet turned this barcode into a number. Format the column as text, type the 13 digits again and export again.</source>
        <translation>Электронная таблица превратила этот штрихкод в число. Задайте столбцу текстовый формат, введите 13 цифр заново и снова выполните экспорт.</translation>
    </message>
    <message>
        <source>The barcode has only %1 digits; a spreadsheet may have dropped its leading zeros. Format the column as text and export again.</source>
        <translation>В штрихкоде только %1 цифр; возможно, электронная таблица отбросила ведущие нули. Задайте столбцу текстовый формат и снова выполните экспорт.</translation>
    </message>
    <message>
        <source>A value cannot hold a line break. Put it on one line and import again.</source>
        <translation>Значение не может содержать перевод строки. Запишите его в одну строку и импортируйте снова.</translation>
    </message>
    <message>
        <source>A quote opened on this line is never closed. Close it and import again.</source>
        <translation>Кавычка, открытая в этой строке, не закрыта. Закройте её и импортируйте снова.</translation>
    </message>
    <message>
        <source>The line has no price, so the PLU would not be in use. Give it a price and import again.</source>
        <translation>В строке нет цены, поэтому PLU не будет использоваться. Укажите цену и импортируйте снова.</translation>
    </message>
    <message>
        <source>The line has no PLU number. Give it one and import again.</source>
        <translation>В строке нет номера PLU. Укажите его и импортируйте снова.</translation>
    </message>
    <message>
        <source>The PLU number must be in range [0 - 998].</source>
        <translation>Номер PLU должен быть в диапазоне [0 - 998].</translation>
    </message>
    <message>
        <source>PLU %1 is already on line %2; this line was left out. Keep one of the two lines and import again.</source>
        <translation>PLU %1 уже есть в строке %2; эта строка пропущена. Оставьте одну из двух строк и импортируйте снова.</translation>
    </message>
    <message>
        <source>comma</source>
        <translation>запятая</translation>
    </message>
    <message>
        <source>TAB</source>
        <translation>табуляция</translation>
    </message>
    <message>
        <source>semicolon</source>
        <translation>точка с запятой</translation>
    </message>
    <message>
        <source>(not used)</source>
        <translation>(не используется)</translation>
    </message>
    <message>
        <source>The file is not valid UTF-16 text. Save the sheet again as &quot;Unicode text&quot; or as CSV (UTF-8) and import that.</source>
        <translation>Файл не является правильным текстом UTF-16. Сохраните лист снова как «Текст в Юникоде» или как CSV (UTF-8) и импортируйте его.</translation>
    </message>
    <message>
        <source>The file holds binary data, not text. Choose a CSV, .xlsx or .ods file, or save the sheet as CSV (UTF-8) and import that.</source>
        <translation>В файле двоичные данные, а не текст. Выберите файл CSV, .xlsx или .ods либо сохраните лист как CSV (UTF-8) и импортируйте его.</translation>
    </message>
    <message>
        <source>The file starts as UTF-8, but line %1 is not UTF-8, so it would read garbled. Save the file again in one encoding, or choose the encoding by hand, and import again.</source>
        <translation>Файл начинается в UTF-8, но строка %1 не в UTF-8 и прочиталась бы искажённой. Сохраните файл заново в одной кодировке или выберите кодировку вручную и импортируйте снова.</translation>
    </message>
    <message>
        <source>The lines of the file are in different encodings: line %1 is UTF-8 and line %2 Windows-1251, so either reading garbles one of them. Save the file again in one encoding, or choose the encoding by hand, and import again.</source>
        <translation>Строки файла в разных кодировках: строка %1 в UTF-8, а строка %2 в Windows-1251, поэтому при любом чтении одна из них исказится. Сохраните файл заново в одной кодировке или выберите кодировку вручную и импортируйте снова.</translation>
    </message>
    <message>
        <source>Read as %1, the file holds binary data. Choose another encoding.</source>
        <translation>При чтении в кодировке %1 в файле оказываются двоичные данные. Выберите другую кодировку.</translation>
    </message>
    <message>
        <source>The file has no column to take besides Number; its header holds %1. Name the columns Price, Name1, Name2, Name3, Barcode or Durability (or Цена, Наименование, Штрихкод, Срок годности) and import again.</source>
        <translation>Кроме номера, в файле нет столбцов, которые можно взять; в заголовке: %1. Назовите столбцы Price, Name1, Name2, Name3, Barcode или Durability (или Цена, Наименование, Штрихкод, Срок годности) и импортируйте снова.</translation>
    </message>
    <message>
        <source>The price has more than two decimals; it is not rounded. Round it in the spreadsheet and import again.</source>
        <translation>В цене больше двух знаков после запятой; она не округляется. Округлите её в электронной таблице и импортируйте снова.</translation>
    </message>
    <message>
        <source>The cell holds a date or time, but this column takes %1. Format the cell as %1, type the value again and import again.</source>
        <translation>В ячейке дата или время, а этот столбец принимает %1. Задайте ячейке формат «%1», введите значение заново и импортируйте снова.</translation>
    </message>
    <message>
        <source>text</source>
        <translation>текст</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>число</translation>
    </message>
    <message>
        <source>The cell holds TRUE or FALSE, which no column of the table takes. Put the value itself in it and import again.</source>
        <translation>В ячейке ИСТИНА или ЛОЖЬ, а такие значения не принимает ни один столбец таблицы. Запишите в неё само значение и импортируйте снова.</translation>
    </message>
    <message>
        <source>The cell&apos;s formula gives an error. Mend the formula, or put the value itself in the cell, and import again.</source>
        <translation>Формула в ячейке даёт ошибку. Исправьте формулу или запишите в ячейку само значение и импортируйте снова.</translation>
    </message>
    <message>
        <source>The cell holds a formula whose result cannot be read: the file stores none, or the formula gives an error. Put the value itself in the cell (Paste Special, values only) and import again.</source>
        <translation>В ячейке формула, результат которой прочитать нельзя: файл его не хранит или формула даёт ошибку. Запишите в ячейку само значение (Специальная вставка, только значения) и импортируйте снова.</translation>
    </message>
    <message>
        <source>The row has no price, so the PLU would not be in use. Give it a price and import again.</source>
        <translation>В строке листа нет цены, поэтому PLU не будет использоваться. Укажите цену и импортируйте снова.</translation>
    </message>
    <message>
        <source>The cell stands in a column without a header. Give the column a header, or empty the cell, and import again.</source>
        <translation>Ячейка находится в столбце без заголовка. Дайте столбцу заголовок или очистите ячейку и импортируйте снова.</translation>
    </message>
    <message>
        <source>The line has more values than the header has columns (%1): a separator inside a value, such as a decimal comma in a file separated by commas, splits it. Put that value in quotes and import again.</source>
        <translation>В строке больше значений, чем столбцов в заголовке (%1): разделитель внутри значения, например десятичная запятая в файле с разделителем-запятой, разбивает его. Заключите это значение в кавычки и импортируйте снова.</translation>
    </message>
    <message>
        <source>The value stands under an empty field of the header. Give the column a header, or remove the value, and import again.</source>
        <translation>Значение стоит под пустым полем заголовка. Дайте столбцу заголовок или удалите значение и импортируйте снова.</translation>
    </message>
    <message>
        <source>The row has no PLU number. Give it one and import again.</source>
        <translation>В строке листа нет номера PLU. Укажите его и импортируйте снова.</translation>
    </message>
    <message>
        <source>PLU %1 is already in row %2; this row was left out. Keep one of the two rows and import again.</source>
        <translation>PLU %1 уже есть в строке листа %2; эта строка пропущена. Оставьте одну из двух строк и импортируйте снова.</translation>
    </message>
    <message>
        <source>The file has no Price column; its header holds %1. A table made of it would hold no PLU in use, so it can only update the PLUs it lists. Name the column of prices Price or Цена to replace the table with it.</source>
        <translation>В файле нет столбца цен; в заголовке: %1. В таблице из такого файла не было бы ни одного используемого PLU, поэтому он может только обновить перечисленные в нём PLU. Чтобы заменить им таблицу, назовите столбец цен «Price» или «Цена».</translation>
    </message>
    <message>
        <source>The file is empty. Choose a file with a header line and PLU lines.</source>
        <translation>Файл пуст. Выберите файл со строкой заголовка и строками PLU.</translation>
    </message>
    <message>
        <source>The first sheet of the file is empty. Put the header and the PLUs on the first sheet and import again.</source>
        <translation>Первый лист файла пуст. Поместите заголовок и PLU на первый лист и импортируйте снова.</translation>
    </message>
    <message>
        <source>The file holds no PLU. Put one PLU on each line under the header and import again.</source>
        <translation>В файле нет ни одного PLU. Поместите под заголовком по одному PLU в строке и импортируйте снова.</translation>
    </message>
    <message>
        <source>The file has more than %1 lines; a PLU table has at most 999 PLUs. Choose the file with the PLUs and import again.</source>
        <translation>В файле больше %1 строк, а в таблице PLU не более 999 PLU. Выберите файл с PLU и импортируйте снова.</translation>
    </message>
    <message>
        <source>Cell %1, %2: %3</source>
        <translation>Ячейка %1, %2: %3</translation>
    </message>
    <message>
        <source>Cell %1, %2 %3: %4</source>
        <translation>Ячейка %1, %2 %3: %4</translation>
    </message>
    <message>
        <source>Line %1, %2: %3</source>
        <translation>Строка %1, %2: %3</translation>
    </message>
    <message>
        <source>Line %1, %2 %3: %4</source>
        <translation>Строка %1, %2 %3: %4</translation>
    </message>
</context>
<context>
    <name>CsvPreviewDialog</name>
    <message>
        <source>File: %1</source>
        <translation>Файл: %1</translation>
    </message>
    <message>
        <source>Encoding: %1</source>
        <translation>Кодировка: %1</translation>
    </message>
    <message>
        <source>Separator: %1</source>
        <translation>Разделитель: %1</translation>
    </message>
    <message>
        <source>Columns: %1</source>
        <translation>Столбцы: %1</translation>
    </message>
    <message>
        <source>PLUs to import: %1</source>
        <translation>PLU для импорта: %1</translation>
    </message>
    <message>
        <source>The first %1 of %2 PLUs:</source>
        <translation>Первые %1 из %2 PLU:</translation>
    </message>
    <message>
        <source>PLUs:</source>
        <translation>PLU:</translation>
    </message>
    <message>
        <source>No values were refused.</source>
        <translation>Все значения приняты.</translation>
    </message>
    <message>
        <source>Refused values (these lines are left out):</source>
        <translation>Отклонённые значения (эти строки пропущены):</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Импорт</translation>
    </message>
    <message>
        <source>Found from the file</source>
        <translation>Определить по файлу</translation>
    </message>
    <message>
        <source>&amp;Encoding:</source>
        <translation>&amp;Кодировка:</translation>
    </message>
    <message>
        <source>Format: CSV text</source>
        <translation>Формат: текст CSV</translation>
    </message>
    <message>
        <source>Format: Excel workbook (.xlsx), first sheet &quot;%1&quot;</source>
        <translation>Формат: книга Excel (.xlsx), первый лист «%1»</translation>
    </message>
    <message>
        <source>Format: OpenDocument spreadsheet (.ods), first sheet &quot;%1&quot;</source>
        <translation>Формат: таблица OpenDocument (.ods), первый лист «%1»</translation>
    </message>
    <message numerus="yes">
        <source>Lines left out: %n</source>
        <translation>
            <numerusform>Пропущена %n строка</numerusform>
            <numerusform>Пропущено %n строки</numerusform>
            <numerusform>Пропущено %n строк</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Rows left out: %n</source>
        <translation>
            <numerusform>Пропущена %n строка листа</numerusform>
            <numerusform>Пропущено %n строки листа</numerusform>
            <numerusform>Пропущено %n строк листа</numerusform>
        </translation>
    </message>
    <message>
        <source>Without a Price column the file can only update the PLUs it lists.</source>
        <translation>Без столбца цен файл может только обновить перечисленные в нём PLU.</translation>
    </message>
    <message>
        <source>&amp;Replace the table</source>
        <translation>&amp;Заменить таблицу</translation>
    </message>
    <message>
        <source>&amp;Update only these PLUs</source>
        <translation>&amp;Обновить только эти PLU</translation>
    </message>
</context>
<context>
    <name>FindField</name>
    <message>
        <source>%1 of %2 rows shown</source>
        <translation>Показано строк: %1 из %2</translation>
    </message>
    <message>
        <source>Go to PLU</source>
        <translation>Перейти к PLU</translation>
    </message>
    <message>
        <source>PLU number:</source>
        <translation>Номер PLU:</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Поиск</translation>
    </message>
</context>
<context>
    <name>JournalText</name>
    <message>
        <source>only in the table</source>
        <translation>только в таблице</translation>
    </message>
    <message>
        <source>only on the scale</source>
        <translation>только в весах</translation>
    </message>
    <message>
        <source>%1 accepted, %2 refused, %3 no reply</source>
        <translation>принято: %1, отклонено: %2, без ответа: %3</translation>
    </message>
    <message>
        <source>PLU %1: %2</source>
        <translation>PLU %1: %2</translation>
    </message>
    <message>
        <source>PLU %1: %2 differs: table %3, scale %4</source>
        <translation>PLU %1: поле %2 различается: в таблице %3, в весах %4</translation>
    </message>
    <message>
        <source>#%1  %2  %3  %4  %5  %6</source>
        <translation>#%1  %2  %3  %4  %5  %6</translation>
    </message>
    <message>
        <source>PLU %1  %2  %3</source>
        <translation>PLU %1  %2  %3</translation>
    </message>
    <message>
        <source>The last read from %1 was stopped after %2 PLUs read.</source>
        <translation>Последнее чтение с весов %1 было остановлено; прочитано PLU: %2.</translation>
    </message>
    <message>
        <source>The last deletion in %1 was stopped with %2 of %3 PLUs deleted: delete again to finish it.</source>
        <translation>Последнее удаление в весах %1 было остановлено: удалено %2 из %3 PLU. Чтобы завершить его, выполните удаление ещё раз.</translation>
    </message>
    <message>
        <source>The last transfer to %1 was stopped with %2 of %3 PLUs sent: program the scale again to finish it.</source>
        <translation>Последняя передача на весы %1 была остановлена: отправлено %2 из %3 PLU. Чтобы завершить её, запишите весы ещё раз.</translation>
    </message>
    <message>
        <source>The last read from %1 did not end: Tarexa was stopped after %2 PLUs read.</source>
        <translation>Последнее чтение с весов %1 не завершилось: Tarexa была остановлена, прочитано PLU: %2.</translation>
    </message>
    <message>
        <source>The last transfer to %1 did not end: Tarexa was stopped after %2 PLUs were handled. Run it again to finish it.</source>
        <translation>Последняя передача на весы %1 не завершилась: Tarexa была остановлена, обработано PLU: %2. Чтобы завершить её, выполните команду ещё раз.</translation>
    </message>
</context>
<context>
    <name>OutcomeText</name>
    <message>
        <source>Could not open communication device %1.</source>
        <translation>Не удалось открыть устройство связи %1.</translation>
    </message>
    <message>
        <source>Failed to configure communication device %1.</source>
        <translation>Не удалось настроить устройство связи %1.</translation>
    </message>
    <message>
        <source>Communication error.</source>
        <translation>Ошибка связи.</translation>
    </message>
    <message>
        <source>Communication error: a frame could not be sent to %1.</source>
        <translation>Ошибка связи: не удалось отправить кадр на %1.</translation>
    </message>
    <message>
        <source>Communication error: a frame could not be sent to %1 (PLU %2).</source>
        <translation>Ошибка связи: не удалось отправить кадр на %1 (PLU %2).</translation>
    </message>
    <message>
        <source>the port could not be configured</source>
        <translation>не удалось настроить порт</translation>
    </message>
    <message>
        <source>the port failed during the transfer: %1</source>
        <translation>порт отказал во время обмена: %1</translation>
    </message>
    <message>
        <source>the port could not be opened: %1</source>
        <translation>не удалось открыть порт: %1</translation>
    </message>
    <message>
        <source>The list is empty</source>
        <translation>Список пуст</translation>
    </message>
    <message>
        <source>Bad data format.</source>
        <translation>Неверный формат данных.</translation>
    </message>
    <message>
        <source>PLU not found.</source>
        <translation>PLU не найден.</translation>
    </message>
    <message>
        <source>Interrupted after PLU %1.</source>
        <translation>Прервано после PLU %1.</translation>
    </message>
    <message>
        <source>Communication error: the scale did not answer.</source>
        <translation>Ошибка связи: весы не ответили.</translation>
    </message>
    <message>
        <source>Communication error: the scale did not answer (PLU %1).</source>
        <translation>Ошибка связи: весы не ответили (PLU %1).</translation>
    </message>
    <message>
        <source>Bad data format: the scale refused PLU %1.</source>
        <translation>Неверный формат данных: весы отклонили PLU %1.</translation>
    </message>
    <message>
        <source>PLU not found: the scale holds no PLU.</source>
        <translation>PLU не найден: в весах нет ни одного PLU.</translation>
    </message>
    <message>
        <source>The list is empty: no PLU of the file has a price.</source>
        <translation>Список пуст: ни у одного PLU в файле нет цены.</translation>
    </message>
    <message>
        <source>What Tarexa knew of %1 was out of date; nothing was sent.</source>
        <translation>Сведения Tarexa о %1 устарели; ничего не отправлено.</translation>
    </message>
    <message>
        <source>done</source>
        <translation>готово</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>отменено</translation>
    </message>
    <message>
        <source>the scale did not answer</source>
        <translation>весы не ответили</translation>
    </message>
    <message>
        <source>the scale stopped answering at PLU %1</source>
        <translation>весы перестали отвечать на PLU %1</translation>
    </message>
    <message>
        <source>the scale refused PLU %1</source>
        <translation>весы отклонили PLU %1</translation>
    </message>
    <message>
        <source>nothing to send</source>
        <translation>передавать нечего</translation>
    </message>
    <message>
        <source>Stopped by signal %1 after PLU %2.</source>
        <translation>Остановлено сигналом %1 после PLU %2.</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Program Changes</source>
        <translation>Запись изменений</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>Чтение</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удаление</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Сравнение</translation>
    </message>
    <message>
        <source>port failed</source>
        <translation>сбой порта</translation>
    </message>
    <message>
        <source>no reply</source>
        <translation>нет ответа</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>отклонено</translation>
    </message>
    <message>
        <source>accepted</source>
        <translation>принято</translation>
    </message>
    <message>
        <source>no PLU on the scale</source>
        <translation>на весах нет PLU</translation>
    </message>
    <message>
        <source>record out of date</source>
        <translation>сведения устарели</translation>
    </message>
    <message>
        <source>interrupted</source>
        <translation>прервано</translation>
    </message>
    <message>
        <source>Communication error: the scale did not answer after PLU %1.</source>
        <translation>Ошибка связи: весы не ответили после PLU %1.</translation>
    </message>
    <message>
        <source>Stopped by signal %1 before the first PLU.</source>
        <translation>Остановлено сигналом %1 до первого PLU.</translation>
    </message>
    <message>
        <source>Interrupted before the first PLU.</source>
        <translation>Прервано до первого PLU.</translation>
    </message>
</context>
<context>
    <name>ProbeText</name>
    <message>
        <source>%1 &quot;%2&quot; at %3</source>
        <translation>%1 «%2» по %3</translation>
    </message>
    <message>
        <source>What Tarexa knows of %1 is out of date: it holds no PLU, the record says it holds PLU %2. Compare with Scale first.</source>
        <translation>Сведения Tarexa о весах %1 устарели: в весах нет ни одного PLU, а по записи в них есть PLU %2. Сначала сравните с весами.</translation>
    </message>
    <message>
        <source>it holds PLU %1</source>
        <translation>в них есть PLU %1</translation>
    </message>
    <message>
        <source>it does not hold PLU %1</source>
        <translation>PLU %1 в них нет</translation>
    </message>
    <message>
        <source>What Tarexa knows of %1 is out of date: its first PLU is %2, the record says %3. Compare with Scale first.</source>
        <translation>Сведения Tarexa о весах %1 устарели: первый PLU в весах — %2, а по записи %3. Сначала сравните с весами.</translation>
    </message>
    <message>
        <source>What Tarexa knows of %1 is out of date: its PLU %2 has %3 %4, the record says %5. Compare with Scale first.</source>
        <translation>Сведения Tarexa о весах %1 устарели: у PLU %2 в весах %3 %4, а по записи %5. Сначала сравните с весами.</translation>
    </message>
</context>
<context>
    <name>ScaleEntryDialog</name>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Название:</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>&amp;Устройство:</translation>
    </message>
</context>
<context>
    <name>ScaleList</name>
    <message>
        <source>A scale needs a name.</source>
        <translation>Весам нужно название.</translation>
    </message>
    <message>
        <source>There is already a scale named %1. Choose another name.</source>
        <translation>Весы с названием %1 уже есть. Выберите другое название.</translation>
    </message>
    <message>
        <source>Scale %1 needs a device.</source>
        <translation>Для весов %1 нужно указать устройство.</translation>
    </message>
    <message>
        <source>There is no scale named %1.</source>
        <translation>Весов с названием %1 нет.</translation>
    </message>
    <message>
        <source>%1 is the only scale. Add another one before removing it.</source>
        <translation>%1 — единственные весы. Добавьте другие, прежде чем удалять эти.</translation>
    </message>
    <message>
        <source>%1 uses the same device as %2 (%3). Scales on one device take turns, and Tarexa keeps one record of what the scale on that device holds. Give each scale its own device unless they really share one line.</source>
        <translation>Весы %1 подключены к тому же устройству, что и %2 (%3). Весы на одном устройстве работают по очереди, и Tarexa ведёт для этого устройства одну запись о содержимом весов. Назначьте каждым весам своё устройство, если только они действительно не делят одну линию.</translation>
    </message>
    <message>
        <source>A scale&apos;s name cannot hold control characters such as a line break or a TAB.</source>
        <translation>Имя весов не может содержать управляющие символы, например перевод строки или табуляцию.</translation>
    </message>
    <message>
        <source>%1 is the current scale now.</source>
        <translation>Текущие весы теперь: %1.</translation>
    </message>
</context>
<context>
    <name>ScalesDialog</name>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Изменить...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Scales</source>
        <translation>Весы</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Название</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Устройство</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Добавить...</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Add Scale</source>
        <translation>Добавить весы</translation>
    </message>
    <message>
        <source>Edit Scale</source>
        <translation>Изменить весы</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Com Port</source>
        <translation>COM-порт</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Отмена</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>StoreText</name>
    <message>
        <source>The folder %1 cannot be created.</source>
        <translation>Не удаётся создать папку %1.</translation>
    </message>
    <message>
        <source>The database %1 is damaged and cannot be set aside.</source>
        <translation>База данных %1 повреждена, и её не удаётся отложить в сторону.</translation>
    </message>
    <message>
        <source>The database of what the scales hold, %1, was damaged. It was set aside as %2 and a new, empty one was started.</source>
        <translation>База данных о содержимом весов %1 была повреждена. Она сохранена как %2, и начата новая, пустая.</translation>
    </message>
    <message>
        <source>The database %1 was written by a newer Tarexa (schema %2).</source>
        <translation>База данных %1 записана более новой версией Tarexa (схема %2).</translation>
    </message>
    <message>
        <source>The database %1 is in use by another Tarexa for too long.</source>
        <translation>База данных %1 слишком долго занята другой копией Tarexa.</translation>
    </message>
    <message>
        <source>The database %1 is damaged; it will be set aside when Tarexa starts again.</source>
        <translation>База данных %1 повреждена; она будет отложена при следующем запуске Tarexa.</translation>
    </message>
    <message>
        <source>The database %1 cannot be used: %2</source>
        <translation>Базу данных %1 нельзя использовать: %2</translation>
    </message>
    <message>
        <source>Tarexa could not record all of this transfer in its journal. %1</source>
        <translation>Tarexa не смогла записать в журнал всю эту передачу. %1</translation>
    </message>
    <message>
        <source>What it knows of the scale&apos;s contents may be out of date: compare the table with the scale before the next Program Changes.</source>
        <translation>Её сведения о содержимом весов могут быть устаревшими: перед следующей командой «Записать изменения» сравните таблицу с весами.</translation>
    </message>
    <message>
        <source>What it knew of the scale&apos;s contents is set aside: compare the table with the scale before the next Program Changes.</source>
        <translation>Прежние сведения о содержимом весов отброшены: перед следующей записью изменений сравните таблицу с весами.</translation>
    </message>
    <message>
        <source>The database %1 cannot be written: the disk is full. Free some space on it.</source>
        <translation>В базу данных %1 нельзя записать: диск заполнен. Освободите на нём место.</translation>
    </message>
    <message>
        <source>The database %1 cannot be written: %2 is read-only. Make it writable again.</source>
        <translation>В базу данных %1 нельзя записать: %2 доступен только для чтения. Снова разрешите запись в него.</translation>
    </message>
</context>
<context>
    <name>Tarexa</name>
    <message>
        <source>Your user account may not use this port. Ask an administrator to add it to the group &quot;%1&quot;, which owns the port, for example with:
    sudo usermod -a -G %1 $USER
then log out and in again.</source>
        <translation>Вашей учётной записи не разрешено работать с этим портом. Попросите администратора добавить её в группу «%1», которой принадлежит порт, например так:
    sudo usermod -a -G %1 $USER
затем выйдите из системы и войдите снова.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Programming to Weigh Scale..</source>
        <translation>Запись в весы..</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Reading from Weigh Scale..</source>
        <translation>Чтение из весов..</translation>
    </message>
    <message numerus="yes">
        <source>The scale sent %n PLU(s) without a number from 0 to 998. They were left out of the table; check the PLU numbers stored in the scale.</source>
        <translation>
            <numerusform>Весы передали %n PLU без номера от 0 до 998. Он не попал в таблицу; проверьте номера PLU, хранящиеся в весах.</numerusform>
            <numerusform>Весы передали %n PLU без номера от 0 до 998. Они не попали в таблицу; проверьте номера PLU, хранящиеся в весах.</numerusform>
            <numerusform>Весы передали %n PLU без номера от 0 до 998. Они не попали в таблицу; проверьте номера PLU, хранящиеся в весах.</numerusform>
        </translation>
    </message>
    <message>
        <source>Deleting..</source>
        <translation>Удаление..</translation>
    </message>
    <message>
        <source>The value must be in range [0.00 - 9999.99]</source>
        <translation>Значение должно быть в диапазоне [0.00 - 9999.99]</translation>
    </message>
    <message>
        <source>The name must be at most 19 sybols long</source>
        <translation>Название должно быть не длиннее 19 символов</translation>
    </message>
    <message>
        <source>The Barcode must consist of 13 digits [0 - 9]</source>
        <translation>Штрихкод должен состоять из 13 цифр [0 - 9]</translation>
    </message>
    <message>
        <source>The value must be in range [0 - 255]</source>
        <translation>Значение должно быть в диапазоне [0 - 255]</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Создать</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>Create a new document</source>
        <translation>Создать новый документ</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Открыть...</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Open an existing document</source>
        <translation>Открыть существующий документ</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>Со&amp;хранить</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Save the document to disk</source>
        <translation>Сохранить документ на диск</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>Exit the application</source>
        <translation>Выйти из программы</translation>
    </message>
    <message>
        <source>Con&amp;figure</source>
        <translation>&amp;Настроить</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
    <message>
        <source>Configure communication device</source>
        <translation>Настроить устройство связи</translation>
    </message>
    <message>
        <source>&amp;Program</source>
        <translation>&amp;Записать</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Program to the weigh scale</source>
        <translation>Записать в весы</translation>
    </message>
    <message>
        <source>&amp;Read</source>
        <translation>&amp;Считать</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Read from the weigh scale</source>
        <translation>Считать из весов</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation>Ctrl+D</translation>
    </message>
    <message>
        <source>Delete selected</source>
        <translation>Удалить отмеченные</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;О программе</translation>
    </message>
    <message>
        <source>Show the application&apos;s About box</source>
        <translation>Показать сведения о программе</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Scale</source>
        <translation>&amp;Весы</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Весы</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>&lt;center&gt;&lt;b&gt;%1&lt;/b&gt; - %2&lt;br&gt;&lt;br&gt;Check for new versions at:&lt;br&gt;&lt;a href=&quot;%3&quot;&gt;%3&lt;/a&gt;&lt;/center&gt;</source>
        <translation>&lt;center&gt;&lt;b&gt;%1&lt;/b&gt; - %2&lt;br&gt;&lt;br&gt;Новые версии можно найти здесь:&lt;br&gt;&lt;a href=&quot;%3&quot;&gt;%3&lt;/a&gt;&lt;/center&gt;</translation>
    </message>
    <message>
        <source>About..</source>
        <translation>О программе..</translation>
    </message>
    <message>
        <source>New document</source>
        <translation>Новый документ</translation>
    </message>
    <message>
        <source>Do you want to clear the current document.</source>
        <translation>Очистить текущий документ?</translation>
    </message>
    <message>
        <source>PLU files (*.xml)</source>
        <translation>Файлы PLU (*.xml)</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Открыть файл</translation>
    </message>
    <message>
        <source>Loading aborted</source>
        <translation>Загрузка отменена</translation>
    </message>
    <message>
        <source>Could not read from %1</source>
        <translation>Не удалось прочитать %1</translation>
    </message>
    <message>
        <source>File %1 loaded</source>
        <translation>Файл %1 загружен</translation>
    </message>
    <message>
        <source>Part of the file could not be loaded. Items left out: %1.</source>
        <translation>Часть файла не удалось загрузить. Пропущено элементов: %1.</translation>
    </message>
    <message>
        <source>Show Details lists all of them.</source>
        <translation>Полный список — по кнопке «Показать подробности».</translation>
    </message>
    <message>
        <source>Correct them in the table and save, or correct the file and open it again.</source>
        <translation>Исправьте их в таблице и сохраните или исправьте файл и откройте его снова.</translation>
    </message>
    <message>
        <source>PLU %1 (row %2), column %3 holds the character %4, which a PLU file cannot store. Remove it from that cell and save again.</source>
        <translation>PLU %1 (строка %2), столбец %3: символ %4 нельзя сохранить в файле PLU. Удалите его из этой ячейки и сохраните снова.</translation>
    </message>
    <message>
        <source>Could not write to %1</source>
        <translation>Не удалось записать в %1</translation>
    </message>
    <message>
        <source>File %1 saved</source>
        <translation>Файл %1 сохранён</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Сохранить файл</translation>
    </message>
    <message>
        <source>The file %1 already exists.
Do you want to replace it?</source>
        <translation>Файл %1 уже существует.
Заменить его?</translation>
    </message>
    <message>
        <source>Saving aborted</source>
        <translation>Сохранение отменено</translation>
    </message>
    <message>
        <source>Tarexa</source>
        <translation>Tarexa</translation>
    </message>
    <message>
        <source>Do you want to save the changes to the document?</source>
        <translation>Сохранить изменения в документе?</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>это не обычный файл</translation>
    </message>
    <message>
        <source>too large for a PLU file</source>
        <translation>слишком велик для файла PLU</translation>
    </message>
    <message>
        <source>line %1, column %2: %3</source>
        <translation>строка %1, столбец %2: %3</translation>
    </message>
    <message>
        <source>the document type declares entities</source>
        <translation>в определении типа документа объявлены сущности</translation>
    </message>
    <message>
        <source>the root element is not PLU_DataBase</source>
        <translation>корневой элемент — не PLU_DataBase</translation>
    </message>
    <message>
        <source>Program C&amp;hanges</source>
        <translation>Записать &amp;изменения</translation>
    </message>
    <message>
        <source>Ctrl+Shift+P</source>
        <translation>Ctrl+Shift+P</translation>
    </message>
    <message>
        <source>Program only the PLUs the scale does not hold as they are</source>
        <translation>Записать только те PLU, которые в весах отличаются или отсутствуют</translation>
    </message>
    <message>
        <source>&amp;Compare with Scale</source>
        <translation>С&amp;равнить с весами</translation>
    </message>
    <message>
        <source>Read the scale and show how it differs from the table</source>
        <translation>Считать весы и показать отличия от таблицы</translation>
    </message>
    <message>
        <source>Show the journal of the scale commands</source>
        <translation>Показать журнал команд обмена с весами</translation>
    </message>
    <message>
        <source>Tarexa cannot use its record of what the scale holds: %1</source>
        <translation>Tarexa не может использовать сведения о содержимом весов: %1</translation>
    </message>
    <message>
        <source>List what the scale would handle badly</source>
        <translation>Показать то, с чем весы не справятся</translation>
    </message>
    <message>
        <source>Ctrl+G</source>
        <translation>Ctrl+G</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>Exported to %1</source>
        <translation>Экспортировано в %1</translation>
    </message>
    <message>
        <source>Imported from %1</source>
        <translation>Импортировано из %1</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Сведения</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Scal&amp;es...</source>
        <translation>Спис&amp;ок весов...</translation>
    </message>
    <message>
        <source>Name the shop&apos;s scales and the devices they hang on</source>
        <translation>Задать весы магазина и устройства, к которым они подключены</translation>
    </message>
    <message>
        <source>Program Changes to &amp;All Scales</source>
        <translation>Записать изменения во &amp;все весы</translation>
    </message>
    <message>
        <source>Program to every scale the PLUs it does not hold as they are</source>
        <translation>Записать в каждые весы те PLU, которые в них отличаются или отсутствуют</translation>
    </message>
    <message>
        <source>The scale the next command goes to</source>
        <translation>Весы, к которым обратится следующая команда</translation>
    </message>
    <message>
        <source>Scale: %1 (%2)</source>
        <translation>Весы: %1 (%2)</translation>
    </message>
    <message>
        <source>Every scale holds the table&apos;s PLUs now.</source>
        <translation>Теперь все весы хранят PLU таблицы.</translation>
    </message>
    <message>
        <source>These scales did not get all their changes: %1.</source>
        <translation>Эти весы получили не все изменения: %1.</translation>
    </message>
    <message>
        <source>Program Changes to All Scales</source>
        <translation>Запись изменений во все весы</translation>
    </message>
    <message>
        <source>Not offered for deletion, since a value of theirs was refused: PLU %1. Delete them with Scale &gt; Delete if that is meant.</source>
        <translation>Не предложены к удалению, так как их значение было отклонено: PLU %1. Если их нужно удалить, используйте Весы &gt; Удалить.</translation>
    </message>
    <message>
        <source>Tarexa knows only part of what the scale holds, so PLUs the table lacks were not looked for. Compare with Scale to find them.</source>
        <translation>Tarexa знает лишь часть содержимого весов, поэтому PLU, которых нет в таблице, не искались. Чтобы найти их, сравните с весами.</translation>
    </message>
    <message>
        <source>Program Changes</source>
        <translation>Записать изменения</translation>
    </message>
    <message>
        <source>Nothing was sent.</source>
        <translation>Ничего не отправлено.</translation>
    </message>
    <message>
        <source>Save the PLUs in use as a spreadsheet file (.xlsx or CSV)</source>
        <translation>Сохранить используемые PLU в файл электронной таблицы (.xlsx или CSV)</translation>
    </message>
    <message>
        <source>Take PLUs from a spreadsheet file (CSV, .xlsx or .ods)</source>
        <translation>Взять PLU из файла электронной таблицы (CSV, .xlsx или .ods)</translation>
    </message>
    <message>
        <source>Excel workbooks (*.xlsx)</source>
        <translation>Книги Excel (*.xlsx)</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Экспорт</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Импорт</translation>
    </message>
    <message>
        <source>Spreadsheets (*.csv *.txt *.xlsx *.ods);;CSV and text files (*.csv *.txt);;Excel workbooks (*.xlsx);;OpenDocument spreadsheets (*.ods);;All files (*)</source>
        <translation>Электронные таблицы (*.csv *.txt *.xlsx *.ods);;Файлы CSV и текстовые (*.csv *.txt);;Книги Excel (*.xlsx);;Таблицы OpenDocument (*.ods);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Could not read from %1: %2.</source>
        <translation>Не удалось прочитать %1: %2.</translation>
    </message>
    <message>
        <source>larger than %1 MiB, far larger than a table of PLUs</source>
        <translation>больше %1 МиБ, намного больше таблицы PLU</translation>
    </message>
    <message>
        <source>Values of this document were refused when it was opened or imported, so PLUs it lacks are not offered for deletion. Correct the file and open it again, or delete them with Scale &gt; Delete.</source>
        <translation>При открытии или импорте документа часть значений была отклонена, поэтому PLU, которых в нём нет, не предлагаются к удалению. Исправьте файл и откройте его снова или удалите их через Весы &gt; Удалить.</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>занят другой программой</translation>
    </message>
    <message>
        <source>in use by another program: %1</source>
        <translation>занят другой программой: %1</translation>
    </message>
    <message>
        <source>PLU %1 (row %2), %3: %4 was left out. %5</source>
        <translation>PLU %1 (строка %2), %3: значение %4 пропущено. %5</translation>
    </message>
    <message>
        <source>This PLU will not be saved or programmed until it has a price.</source>
        <translation>Этот PLU не будет сохранён и запрограммирован, пока у него нет цены.</translation>
    </message>
    <message>
        <source>PLU element %1 of the file, Number %2: not a PLU number from 0 to 998; the element was left out.</source>
        <translation>Элемент PLU %1 файла, Number %2: это не номер PLU от 0 до 998; элемент пропущен.</translation>
    </message>
    <message>
        <source>PLU element %1 of the file, Number %2: an earlier element has this number; the element was left out.</source>
        <translation>Элемент PLU %1 файла, Number %2: этот номер уже есть у предыдущего элемента; элемент пропущен.</translation>
    </message>
    <message>
        <source>Could not write to %1: not a regular file. Tarexa writes only over a regular file; choose another name.</source>
        <translation>Не удалось записать в %1: это не обычный файл. Tarexa записывает только поверх обычного файла; выберите другое имя.</translation>
    </message>
    <message>
        <source>The folder of %1 does not let Tarexa save safely. Save the file in another folder.</source>
        <translation>Папка файла %1 не позволяет Tarexa сохранить его надёжно. Сохраните файл в другой папке.</translation>
    </message>
    <message>
        <source>Could not write to %1: %2. Choose another folder or free some space, and try again.</source>
        <translation>Не удалось записать в %1: %2. Выберите другую папку или освободите место на диске и попробуйте снова.</translation>
    </message>
    <message>
        <source>Line %1 of the file: the element %2 is not a PLU element directly under PLU_DataBase; it was left out.</source>
        <translation>Строка %1 файла: элемент %2 — не элемент PLU непосредственно в PLU_DataBase; он пропущен.</translation>
    </message>
    <message numerus="yes">
        <source>And %n more element(s) of the file that are no PLU element.</source>
        <translation>
            <numerusform>И ещё %n элемент файла, не являющийся элементом PLU.</numerusform>
            <numerusform>И ещё %n элемента файла, не являющихся элементами PLU.</numerusform>
            <numerusform>И ещё %n элементов файла, не являющихся элементами PLU.</numerusform>
        </translation>
    </message>
    <message>
        <source>Weigh Scale</source>
        <translation>Весы</translation>
    </message>
    <message>
        <source>&amp;Transfer History</source>
        <translation>&amp;Журнал обмена</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Экспорт...</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>&amp;Импорт...</translation>
    </message>
    <message>
        <source>Chec&amp;k</source>
        <translation>&amp;Проверка</translation>
    </message>
    <message>
        <source>&amp;Go to PLU...</source>
        <translation>Пе&amp;рейти к PLU...</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Да</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Нет</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Отмена</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Без имени</translation>
    </message>
    <message>
        <source>Scale: %1</source>
        <translation>Весы: %1</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>Пе&amp;чать...</translation>
    </message>
    <message>
        <source>Print the PLUs in use as a price list</source>
        <translation>Напечатать используемые PLU как прайс-лист</translation>
    </message>
    <message>
        <source>Export P&amp;DF...</source>
        <translation>Экспорт &amp;в PDF...</translation>
    </message>
    <message>
        <source>Save the PLUs in use as a price list in a PDF file</source>
        <translation>Сохранить используемые PLU как прайс-лист в файл PDF</translation>
    </message>
    <message>
        <source>No PLU has a price, so there is nothing to print. A row is in use, and printed, once its price is filled in.</source>
        <translation>Ни у одного PLU нет цены, поэтому печатать нечего. Строка используется и печатается, как только у неё заполнена цена.</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печать</translation>
    </message>
    <message>
        <source>Price list</source>
        <translation>Прайс-лист</translation>
    </message>
    <message>
        <source>Could not print</source>
        <translation>Не удалось напечатать</translation>
    </message>
    <message>
        <source>The price list could not be printed. Check that the printer is ready, then print again.</source>
        <translation>Прайс-лист не удалось напечатать. Проверьте, что принтер готов, и напечатайте снова.</translation>
    </message>
    <message>
        <source>The price list went to the printer</source>
        <translation>Прайс-лист отправлен на принтер</translation>
    </message>
    <message>
        <source>Export PDF</source>
        <translation>Экспорт в PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>Файлы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message>
        <source>Undo the last change</source>
        <translation>Отменить последнее изменение</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Повторить</translation>
    </message>
    <message>
        <source>Make the change undone last again</source>
        <translation>Снова выполнить последнее отменённое изменение</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Вырезать</translation>
    </message>
    <message>
        <source>Copy the selected cells and empty them</source>
        <translation>Скопировать выделенные ячейки и очистить их</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>Copy the selected cells as tab-separated text</source>
        <translation>Скопировать выделенные ячейки как текст, разделённый табуляцией</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Вст&amp;авить</translation>
    </message>
    <message>
        <source>Paste tab-separated text from the current cell on</source>
        <translation>Вставить текст, разделённый табуляцией, начиная с текущей ячейки</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>О&amp;чистить</translation>
    </message>
    <message>
        <source>Empty the selected cells</source>
        <translation>Очистить выделенные ячейки</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>Выд&amp;елить всё</translation>
    </message>
    <message>
        <source>Select every cell of the table</source>
        <translation>Выделить все ячейки таблицы</translation>
    </message>
    <message>
        <source>&amp;Mark for Deletion</source>
        <translation>По&amp;метить для удаления</translation>
    </message>
    <message>
        <source>Mark or unmark the selected rows for Scale &gt; Delete</source>
        <translation>Отметить выделенные строки для «Весы &gt; Удалить» или снять с них отметку</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Найти</translation>
    </message>
    <message>
        <source>Show only the rows that hold a text</source>
        <translation>Показать только строки, содержащие текст</translation>
    </message>
    <message>
        <source>There is no text on the clipboard to paste.</source>
        <translation>В буфере обмена нет текста для вставки.</translation>
    </message>
    <message>
        <source>Click the cell where the block is to start, then paste again.</source>
        <translation>Щёлкните ячейку, с которой должен начинаться блок, и вставьте снова.</translation>
    </message>
    <message>
        <source>PLU %1 (row %2), %3: %4 was not pasted. %5</source>
        <translation>PLU %1 (строка %2), %3: значение %4 не вставлено. %5</translation>
    </message>
    <message>
        <source>Values not pasted: %1. Their columns do not take them, so their cells were left as they were.</source>
        <translation>Не вставлено значений: %1. Их столбцы не принимают такие значения, поэтому эти ячейки оставлены без изменений.</translation>
    </message>
    <message>
        <source>The block runs past the last row or column of the table: the part beyond it was not pasted.</source>
        <translation>Блок выходит за последнюю строку или столбец таблицы: часть за их пределами не вставлена.</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Вставка</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>The file %1 is no longer there, so it was taken off the recent files.</source>
        <translation>Файла %1 больше нет, поэтому он убран из списка последних файлов.</translation>
    </message>
    <message>
        <source>Drop one PLU file at a time to open it.</source>
        <translation>Чтобы открыть файл PLU, перетащите в окно только один файл.</translation>
    </message>
    <message>
        <source>%1 is not a file on this computer. Save it on this computer first, then drop it here.</source>
        <translation>%1 — не файл на этом компьютере. Сначала сохраните его на этом компьютере, затем перетащите сюда.</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Последние файлы</translation>
    </message>
    <message>
        <source>A transfer to all scales is running: %1 of %2 PLUs sent. Stop it and close?</source>
        <translation>Идёт передача на все весы: отправлено %1 из %2 PLU. Остановить её и закрыть окно?</translation>
    </message>
    <message>
        <source>A read from %1 is running: %2 PLUs read. Stop it and close?</source>
        <translation>Идёт чтение с весов %1: прочитано PLU: %2. Остановить его и закрыть окно?</translation>
    </message>
    <message>
        <source>A deletion in %1 is running: %2 of %3 PLUs deleted. Stop it and close?</source>
        <translation>Идёт удаление в весах %1: удалено %2 из %3 PLU. Остановить его и закрыть окно?</translation>
    </message>
    <message>
        <source>A transfer to %1 is running: %2 of %3 PLUs sent. Stop it and close?</source>
        <translation>Идёт передача на весы %1: отправлено %2 из %3 PLU. Остановить её и закрыть окно?</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Сохранить &amp;как...</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Save the document under another name</source>
        <translation>Сохранить документ под другим именем</translation>
    </message>
    <message>
        <source>%1 has no port number. Write the address as tcp://HOST:PORT or rfc2217://HOST:PORT, with the port the device server listens on.</source>
        <translation>В адресе %1 нет номера порта. Запишите адрес как tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ, указав порт, на котором ждёт соединений сервер устройства.</translation>
    </message>
    <message>
        <source>The port number of %1 must be a number from 1 to 65535.</source>
        <translation>Номер порта в адресе %1 должен быть числом от 1 до 65535.</translation>
    </message>
    <message>
        <source>%1 names no host Tarexa can reach. Write the address as tcp://HOST:PORT or rfc2217://HOST:PORT, with an IPv6 address in brackets, such as tcp://[fd00::5]:4001.</source>
        <translation>В адресе %1 не указан узел, к которому Tarexa может подключиться. Запишите адрес как tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ, а адрес IPv6 — в квадратных скобках, например tcp://[fd00::5]:4001.</translation>
    </message>
    <message>
        <source>Copy and Cut take one block of cells. Select a single block, then try again.</source>
        <translation>Копирование и вырезание работают с одним прямоугольным блоком ячеек. Выделите один блок и повторите.</translation>
    </message>
    <message>
        <source>Go to the price cell of a PLU by its number</source>
        <translation>Перейти к ячейке цены PLU по его номеру</translation>
    </message>
</context>
<context>
    <name>TarexaCli</name>
    <message>
        <source>Try &apos;tarexa-cli --help&apos; for more information.</source>
        <translation>Подробнее: «tarexa-cli --help».</translation>
    </message>
    <message>
        <source>in %1 s.</source>
        <translation>за %1 с.</translation>
    </message>
    <message>
        <source>Could not read from %1: %2</source>
        <translation>Не удалось прочитать %1: %2</translation>
    </message>
    <message>
        <source>PLU %1, %2: &quot;%3&quot; was left out. %4</source>
        <translation>PLU %1, %2: «%3» пропущено. %4</translation>
    </message>
    <message>
        <source>PLU %1 holds the character U+%2, which a PLU file cannot store.</source>
        <translation>В PLU %1 есть символ U+%2, который нельзя сохранить в файле PLU.</translation>
    </message>
    <message>
        <source>Could not write to standard output.</source>
        <translation>Не удалось записать в стандартный вывод.</translation>
    </message>
    <message>
        <source>Not a PLU number (0 to 998) or range: %1</source>
        <translation>Не номер PLU (от 0 до 998) и не диапазон: %1</translation>
    </message>
    <message>
        <source>No command given.</source>
        <translation>Команда не указана.</translation>
    </message>
    <message>
        <source>-o is for the read command only.</source>
        <translation>Параметр -o есть только у команды read.</translation>
    </message>
    <message>
        <source>Unknown command or wrong arguments: %1</source>
        <translation>Неизвестная команда или неверные аргументы: %1</translation>
    </message>
    <message>
        <source>The serial device of the scale (default: the window&apos;s setting).</source>
        <translation>Последовательный порт весов (по умолчанию — из настроек окна программы).</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>ИМЯ</translation>
    </message>
    <message>
        <source>Where read writes the PLU file.</source>
        <translation>Куда команда read записывает файл PLU.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>ФАЙЛ</translation>
    </message>
    <message>
        <source>The record of what the scale holds cannot be used: %1</source>
        <translation>Сведения о содержимом весов нельзя использовать: %1</translation>
    </message>
    <message>
        <source>Nothing is known of what %1 holds.</source>
        <translation>О содержимом весов %1 ничего не известно.</translation>
    </message>
    <message>
        <source>The scale holds PLUs the file does not: %1. Give --delete-missing to delete them.</source>
        <translation>В весах есть PLU, которых нет в файле: %1. Укажите --delete-missing, чтобы удалить их.</translation>
    </message>
    <message>
        <source>Nothing to send: the scale holds the PLUs of %1 as they are.</source>
        <translation>Отправлять нечего: PLU из %1 уже есть в весах в том же виде.</translation>
    </message>
    <message>
        <source>Not a number of entries: %1</source>
        <translation>Не число записей: %1</translation>
    </message>
    <message>
        <source>--changed and --delete-missing are for the program command only.</source>
        <translation>Параметры --changed и --delete-missing есть только у команды program.</translation>
    </message>
    <message>
        <source>--delete-missing needs --changed.</source>
        <translation>Параметру --delete-missing нужен --changed.</translation>
    </message>
    <message>
        <source>program: send only what the scale does not hold as it is.</source>
        <translation>program: отправить только то, чего в весах нет в том же виде.</translation>
    </message>
    <message>
        <source>program --changed: also delete the PLUs the file lacks.</source>
        <translation>program --changed: также удалить PLU, которых нет в файле.</translation>
    </message>
    <message>
        <source>history: how many entries to list (default 20).</source>
        <translation>history: сколько записей показать (по умолчанию 20).</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Give either --scale or --device, not both.</source>
        <translation>Укажите либо --scale, либо --device, но не оба.</translation>
    </message>
    <message>
        <source>--all-scales is for program --changed only.</source>
        <translation>--all-scales допустим только с program --changed.</translation>
    </message>
    <message>
        <source>--all-scales goes to every scale; give no --scale or --device.</source>
        <translation>--all-scales обращается ко всем весам; не указывайте --scale или --device.</translation>
    </message>
    <message>
        <source>--delete-missing cannot go with --all-scales.</source>
        <translation>--delete-missing нельзя сочетать с --all-scales.</translation>
    </message>
    <message>
        <source>The configured scale of that name (see the scales command).</source>
        <translation>Настроенные весы с этим названием (см. команду scales).</translation>
    </message>
    <message>
        <source>program --changed: send the changes to every configured scale.</source>
        <translation>program --changed: отправить изменения во все настроенные весы.</translation>
    </message>
    <message>
        <source>program, read, delete, check, convert, diff, history or scales</source>
        <translation>program, read, delete, check, convert, diff, history или scales</translation>
    </message>
    <message>
        <source>Could not save the scales in %1.</source>
        <translation>Не удалось сохранить список весов в %1.</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестно</translation>
    </message>
    <message>
        <source>never</source>
        <translation>никогда</translation>
    </message>
    <message>
        <source>Warning: %1</source>
        <translation>Предупреждение: %1</translation>
    </message>
    <message>
        <source>Run &apos;tarexa-cli diff --scale %1 %2&apos; to read it first.</source>
        <translation>Сначала считайте их командой «tarexa-cli diff --scale %1 %2».</translation>
    </message>
    <message>
        <source>These scales did not get all their changes: %1.</source>
        <translation>Эти весы получили не все изменения: %1.</translation>
    </message>
    <message>
        <source>No scale is named &quot;%1&quot;. The scales are: %2.</source>
        <translation>Весов с названием «%1» нет. Настроены весы: %2.</translation>
    </message>
    <message>
        <source>Run &apos;tarexa-cli diff%1 %2&apos; to read the scale first, or &apos;tarexa-cli program%1 %2&apos; to send every PLU.</source>
        <translation>Сначала выполните «tarexa-cli diff%1 %2», чтобы считать весы, или «tarexa-cli program%1 %2», чтобы отправить все PLU.</translation>
    </message>
    <message>
        <source>The scale holds, or may hold, PLUs the file does not: %1. Give --delete-missing to delete them.</source>
        <translation>В весах есть или могут быть PLU, которых нет в файле: %1. Чтобы удалить их, укажите --delete-missing.</translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) would be sent</source>
        <translation>
            <numerusform>Был бы отправлен %n PLU</numerusform>
            <numerusform>Были бы отправлены %n PLU</numerusform>
            <numerusform>Было бы отправлено %n PLU</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n deleted.</source>
        <translation>
            <numerusform>удалён %n.</numerusform>
            <numerusform>удалены %n.</numerusform>
            <numerusform>удалено %n.</numerusform>
        </translation>
    </message>
    <message>
        <source>Judged from what Tarexa knows of the scale alone: no port was opened and the scale was not asked.</source>
        <translation>Оценено только по сведениям Tarexa о весах: порт не открывался, весы не опрашивались.</translation>
    </message>
    <message>
        <source>The scale took the command, but Tarexa could not record it; compare before the next program --changed.</source>
        <translation>Весы выполнили команду, но Tarexa не смогла её записать; перед следующим program --changed выполните сравнение.</translation>
    </message>
    <message>
        <source>Only part of what %1 holds is known, and --delete-missing needs all of it.</source>
        <translation>О содержимом %1 известно лишь частично, а для --delete-missing нужно знать его целиком.</translation>
    </message>
    <message>
        <source>Run &apos;tarexa-cli diff%1 %2&apos; to read the scale first.</source>
        <translation>Сначала выполните «tarexa-cli diff%1 %2», чтобы считать весы.</translation>
    </message>
    <message>
        <source>--dry-run cannot go with --all-scales.</source>
        <translation>--dry-run нельзя указывать вместе с --all-scales.</translation>
    </message>
    <message>
        <source>--dry-run is for the program command only.</source>
        <translation>--dry-run применяется только к команде program.</translation>
    </message>
    <message>
        <source>program: list what would be sent and deleted, judged from the record alone; no port is opened.</source>
        <translation>program: перечислить, что было бы отправлено и удалено, только по сведениям о весах; порт не открывается.</translation>
    </message>
    <message>
        <source>These scales took their changes, but Tarexa could not record them: %1. Run diff for each before the next program --changed.</source>
        <translation>Эти весы получили свои изменения, но Tarexa не смогла это записать: %1. Перед следующим program --changed выполните diff для каждых.</translation>
    </message>
    <message>
        <source>warning: the column &quot;%1&quot; of %2 is not used: the PLU table has no column of that name.</source>
        <translation>предупреждение: столбец «%1» из %2 не используется: в таблице PLU нет столбца с таким названием.</translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) refused; nothing was written.</source>
        <translation>
            <numerusform>Отклонено %n значение; ничего не записано.</numerusform>
            <numerusform>Отклонено %n значения; ничего не записано.</numerusform>
            <numerusform>Отклонено %n значений; ничего не записано.</numerusform>
        </translation>
    </message>
    <message>
        <source>convert writes OUT as its suffix says: .xml (a PLU file), .csv or .xlsx.</source>
        <translation>convert записывает ВЫХОД по его расширению: .xml (файл PLU), .csv или .xlsx.</translation>
    </message>
    <message>
        <source>Could not read from %1: The file holds no PLU; %2 was not written.</source>
        <translation>Не удалось прочитать %1: в файле нет ни одного PLU; %2 не записан.</translation>
    </message>
    <message numerus="yes">
        <source>%n difference(s).</source>
        <translation>
            <numerusform>Различий: %n.</numerusform>
            <numerusform>Различий: %n.</numerusform>
            <numerusform>Различий: %n.</numerusform>
        </translation>
    </message>
    <message>
        <source>Not a number of days: %1</source>
        <translation>Не число дней: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n journal entry(s) removed,</source>
        <translation>
            <numerusform>Из журнала удалена %n запись,</numerusform>
            <numerusform>Из журнала удалены %n записи,</numerusform>
            <numerusform>Из журнала удалено %n записей,</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>all older than %n day(s).</source>
        <translation>
            <numerusform>все старше %n дня.</numerusform>
            <numerusform>все старше %n дней.</numerusform>
            <numerusform>все старше %n дней.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) sent, %1 accepted, %2 refused</source>
        <translation>
            <numerusform>PLU отправлено: %n, принято: %1, отклонено: %2</numerusform>
            <numerusform>PLU отправлено: %n, принято: %1, отклонено: %2</numerusform>
            <numerusform>PLU отправлено: %n, принято: %1, отклонено: %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) deleted</source>
        <translation>
            <numerusform>PLU удалено: %n</numerusform>
            <numerusform>PLU удалено: %n</numerusform>
            <numerusform>PLU удалено: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PLU(s) read</source>
        <translation>
            <numerusform>PLU прочитано: %n</numerusform>
            <numerusform>PLU прочитано: %n</numerusform>
            <numerusform>PLU прочитано: %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The scale sent %n PLU(s) without a number from 0 to 998; they were left out.</source>
        <translation>
            <numerusform>Весы передали PLU без номера от 0 до 998 (%n); они пропущены.</numerusform>
            <numerusform>Весы передали PLU без номера от 0 до 998 (%n); они пропущены.</numerusform>
            <numerusform>Весы передали PLU без номера от 0 до 998 (%n); они пропущены.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n problem(s) in %1.</source>
        <translation>
            <numerusform>Проблем в %1: %n.</numerusform>
            <numerusform>Проблем в %1: %n.</numerusform>
            <numerusform>Проблем в %1: %n.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 is given more than once.</source>
        <translation>%1 указан больше одного раза.</translation>
    </message>
    <message>
        <source>%1 does not apply to %2.</source>
        <translation>%1 не относится к %2.</translation>
    </message>
    <message>
        <source>Give either --limit or --prune, not both.</source>
        <translation>Укажите либо --limit, либо --prune, но не оба.</translation>
    </message>
    <message>
        <source>history: remove the journal&apos;s entries older than DAYS.</source>
        <translation>history: удалить из журнала записи старше ДНЕЙ.</translation>
    </message>
    <message>
        <source>DAYS</source>
        <translation>ДНЕЙ</translation>
    </message>
    <message>
        <source>%1 takes the place of %2, the scale a new list starts with; it is the current scale.</source>
        <translation>%1 заменяют %2 — весы, с которых начинается новый список; теперь это текущие весы.</translation>
    </message>
    <message numerus="yes">
        <source>%1/%2 PLUs to %n scale(s)</source>
        <translation>
            <numerusform>%1/%2 PLU, весов: %n</numerusform>
            <numerusform>%1/%2 PLU, весов: %n</numerusform>
            <numerusform>%1/%2 PLU, весов: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>осталось %1</translation>
    </message>
    <message>
        <source>PLU %1</source>
        <translation>PLU %1</translation>
    </message>
    <message>
        <source>%1/%2 PLUs</source>
        <translation>%1/%2 PLU</translation>
    </message>
    <message numerus="yes">
        <source>%n value(s) or element(s) of %1 were left out, and --delete-missing would take their PLUs for PLUs the file lacks: nothing was sent or deleted. Correct the file (&apos;tarexa-cli check %2&apos; lists every problem) and run again.</source>
        <translation>
            <numerusform>В файле %1 пропущено значений или элементов: %n, и --delete-missing принял бы их PLU за PLU, которых в файле нет: ничего не передано и не удалено. Исправьте файл (&apos;tarexa-cli check %2&apos; перечислит все проблемы) и запустите снова.</numerusform>
            <numerusform>В файле %1 пропущено значений или элементов: %n, и --delete-missing принял бы их PLU за PLU, которых в файле нет: ничего не передано и не удалено. Исправьте файл (&apos;tarexa-cli check %2&apos; перечислит все проблемы) и запустите снова.</numerusform>
            <numerusform>В файле %1 пропущено значений или элементов: %n, и --delete-missing принял бы их PLU за PLU, которых в файле нет: ничего не передано и не удалено. Исправьте файл (&apos;tarexa-cli check %2&apos; перечислит все проблемы) и запустите снова.</numerusform>
        </translation>
    </message>
    <message>
        <source>PLU %1 (row %2) has no price in the file; it was left out.</source>
        <translation>У PLU %1 (строка %2) в файле нет цены; он пропущен.</translation>
    </message>
    <message>
        <source>program FILE</source>
        <translation>program ФАЙЛ</translation>
    </message>
    <message>
        <source>program every PLU of FILE</source>
        <translation>записать все PLU из ФАЙЛА</translation>
    </message>
    <message>
        <source>read [-o FILE]</source>
        <translation>read [-o ФАЙЛ]</translation>
    </message>
    <message>
        <source>read every PLU into FILE (or standard output)</source>
        <translation>считать все PLU в ФАЙЛ (или в стандартный вывод)</translation>
    </message>
    <message>
        <source>delete N [N...]</source>
        <translation>delete N [N...]</translation>
    </message>
    <message>
        <source>delete these PLUs (ranges such as 3-10 too)</source>
        <translation>удалить эти PLU (можно и диапазоны, например 3-10)</translation>
    </message>
    <message>
        <source>check FILE</source>
        <translation>check ФАЙЛ</translation>
    </message>
    <message>
        <source>list every value of FILE a column refuses, and
what the scale would handle badly</source>
        <translation>перечислить значения ФАЙЛА, которые отклоняет столбец,
и то, с чем весы не справятся</translation>
    </message>
    <message>
        <source>convert IN OUT</source>
        <translation>convert ВХОД ВЫХОД</translation>
    </message>
    <message>
        <source>a PLU file to OUT.csv or OUT.xlsx, or a spreadsheet
(CSV, TXT, .xlsx, .ods, read by its contents) to OUT.xml</source>
        <translation>файл PLU в ВЫХОД.csv или ВЫХОД.xlsx, или электронную
таблицу (CSV, TXT, .xlsx, .ods, по содержимому) в ВЫХОД.xml</translation>
    </message>
    <message>
        <source>program --changed FILE</source>
        <translation>program --changed ФАЙЛ</translation>
    </message>
    <message>
        <source>program only the PLUs the scale is not known to
hold as they are (--delete-missing: delete the PLUs
FILE lacks; --dry-run: only list them)</source>
        <translation>записать только PLU, о которых неизвестно, что они
есть в весах в том же виде (--delete-missing: удалить
PLU, которых нет в ФАЙЛЕ; --dry-run: только перечислить)</translation>
    </message>
    <message>
        <source>diff FILE</source>
        <translation>diff ФАЙЛ</translation>
    </message>
    <message>
        <source>read the scale and list how it differs from FILE</source>
        <translation>считать весы и перечислить отличия от ФАЙЛА</translation>
    </message>
    <message>
        <source>history [--limit N]</source>
        <translation>history [--limit N]</translation>
    </message>
    <message>
        <source>list the latest scale commands</source>
        <translation>показать последние команды обмена с весами</translation>
    </message>
    <message>
        <source>history --prune DAYS</source>
        <translation>history --prune ДНИ</translation>
    </message>
    <message>
        <source>remove journal entries older than DAYS days</source>
        <translation>удалить записи журнала старше ДНЕЙ дней</translation>
    </message>
    <message>
        <source>scales</source>
        <translation>scales</translation>
    </message>
    <message>
        <source>list the scales (the current one marked *) and
when each last took a command to the end</source>
        <translation>перечислить весы (текущие отмечены *) и время,
когда каждые последний раз выполнили команду до конца</translation>
    </message>
    <message>
        <source>scales add NAME DEVICE</source>
        <translation>scales add ИМЯ УСТРОЙСТВО</translation>
    </message>
    <message>
        <source>add a scale on serial device DEVICE</source>
        <translation>добавить весы на последовательном устройстве</translation>
    </message>
    <message>
        <source>scales remove NAME</source>
        <translation>scales remove ИМЯ</translation>
    </message>
    <message>
        <source>remove a scale</source>
        <translation>удалить весы</translation>
    </message>
    <message>
        <source>program --changed --all-scales FILE</source>
        <translation>program --changed --all-scales ФАЙЛ</translation>
    </message>
    <message>
        <source>program --changed on every scale at
once; scales on the same port take turns</source>
        <translation>program --changed для всех весов
сразу; весы на одном порту работают по очереди</translation>
    </message>
    <message>
        <source>Programs, reads and deletes the PLUs of a weigh scale, and checks PLU files.</source>
        <translation>Записывает PLU в весы, считывает и удаляет их, проверяет файлы PLU.</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>Команды:</translation>
    </message>
    <message>
        <source>program, read, delete and diff talk to the current scale, or to the one
--scale NAME or --device DEVICE gives.</source>
        <translation>program, read, delete и diff обращаются к текущим весам или к тем, что
указаны в --scale ИМЯ или --device УСТРОЙСТВО.</translation>
    </message>
    <message>
        <source>Exit status:</source>
        <translation>Коды завершения:</translation>
    </message>
    <message>
        <source>done</source>
        <translation>выполнено</translation>
    </message>
    <message>
        <source>check found problems, convert refused values of a spreadsheet,
or diff found differences</source>
        <translation>check нашла проблемы, convert отклонила значения электронной таблицы,
или diff нашла различия</translation>
    </message>
    <message>
        <source>usage error</source>
        <translation>ошибка в командной строке</translation>
    </message>
    <message>
        <source>the file cannot be read or written, or has no PLU with a price, or
(program --changed --delete-missing) had values refused</source>
        <translation>файл нельзя прочитать или записать, или в нём нет PLU с ценой, или
(program --changed --delete-missing) в нём были отклонены значения</translation>
    </message>
    <message>
        <source>the port cannot be opened or configured, or failed during a transfer</source>
        <translation>порт нельзя открыть или настроить, или он отказал во время обмена</translation>
    </message>
    <message>
        <source>the scale did not answer</source>
        <translation>весы не ответили</translation>
    </message>
    <message>
        <source>the scale refused a PLU or replied with bad data</source>
        <translation>весы отклонили PLU или ответили неверными данными</translation>
    </message>
    <message>
        <source>program --changed: what the scale holds is not known, or what Tarexa
knew of it is out of date; run diff first</source>
        <translation>program --changed: содержимое весов неизвестно или сведения о нём
устарели; сначала выполните diff</translation>
    </message>
    <message>
        <source>the record of what the scale holds cannot be used</source>
        <translation>сведения о содержимом весов нельзя использовать</translation>
    </message>
    <message>
        <source>the scale took the command, but Tarexa could not record it; run
diff before the next program --changed</source>
        <translation>весы выполнили команду, но Tarexa не смогла её записать; перед
следующим program --changed выполните diff</translation>
    </message>
    <message>
        <source>stopped by SIGHUP, SIGINT (Ctrl+C) or SIGTERM after the
exchange in progress; a read writes nothing</source>
        <translation>остановлено сигналом SIGHUP, SIGINT (Ctrl+C) или SIGTERM
после текущего обмена; read ничего не записывает</translation>
    </message>
    <message>
        <source>program --changed --all-scales ends with 0 only when every scale got all its
changes; otherwise with 129, 130 or 143 when stopped, or else with the status
of the first failed scale in the list (4, 5, 6, 7 or 9), naming the failed
scales.</source>
        <translation>program --changed --all-scales завершается с 0, только если все весы получили
все изменения; иначе с 129, 130 или 143 при остановке или с кодом первых
неудачных весов в списке (4, 5, 6, 7 или 9), называя неудачные весы.</translation>
    </message>
    <message>
        <source>An empty --device or -o names nothing; give a port or a file name.</source>
        <translation>Пустое значение --device или -o ничего не называет; укажите порт или имя файла.</translation>
    </message>
    <message>
        <source>--device: a network address is written tcp://HOST:PORT or rfc2217://HOST:PORT, with a port from 1 to 65535.</source>
        <translation>--device: сетевой адрес записывается как tcp://УЗЕЛ:ПОРТ или rfc2217://УЗЕЛ:ПОРТ, с номером порта от 1 до 65535.</translation>
    </message>
</context>
<context>
    <name>TransferHistoryDialog</name>
    <message>
        <source>Transfer History</source>
        <translation>Журнал обмена</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Команда</translation>
    </message>
    <message>
        <source>Accepted</source>
        <translation>Принято</translation>
    </message>
    <message>
        <source>Refused</source>
        <translation>Отклонено</translation>
    </message>
    <message>
        <source>No reply</source>
        <translation>Нет ответа</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>PLU</source>
        <translation>PLU</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Итог</translation>
    </message>
    <message>
        <source>No transfer has been recorded yet.</source>
        <translation>Обменов с весами ещё не было.</translation>
    </message>
    <message>
        <source>The command&apos;s end was never recorded: Tarexa stopped or lost its port during it.</source>
        <translation>Окончание команды не записано: Tarexa остановилась или потеряла порт во время обмена.</translation>
    </message>
    <message>
        <source>The PLUs of this transfer could not be read.</source>
        <translation>Не удалось прочитать PLU этого обмена.</translation>
    </message>
    <message>
        <source>No PLU was exchanged in this transfer.</source>
        <translation>В этом обмене не было ни одного PLU.</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Весы</translation>
    </message>
</context>
<context>
    <name>Workbook</name>
    <message>
        <source>The file is a damaged zip archive, not a workbook that can be read. Save it again in the spreadsheet program and import again.</source>
        <translation>Файл — повреждённый zip-архив, а не читаемая книга. Сохраните его снова в программе электронных таблиц и импортируйте снова.</translation>
    </message>
    <message>
        <source>The workbook unpacks to more than %1 MiB, far more than a sheet of PLUs needs. Copy the PLUs to a new workbook and import that.</source>
        <translation>Книга распаковывается больше чем в %1 МиБ — намного больше, чем нужно листу PLU. Скопируйте PLU в новую книгу и импортируйте её.</translation>
    </message>
    <message>
        <source>The workbook could not be read (%1). Save it again in the spreadsheet program, as .xlsx or .ods, and import again.</source>
        <translation>Не удалось прочитать книгу (%1). Сохраните её снова в программе электронных таблиц как .xlsx или .ods и импортируйте снова.</translation>
    </message>
    <message>
        <source>The file is a zip archive, but neither an .xlsx nor an .ods workbook. Choose a CSV, .xlsx or .ods file.</source>
        <translation>Файл — zip-архив, но не книга .xlsx или .ods. Выберите файл CSV, .xlsx или .ods.</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>неизвестная ошибка</translation>
    </message>
    <message>
        <source>The first sheet has a value in cell %1, beyond the %2 rows and %3 columns a table of PLUs could need. Remove what lies beyond the PLUs, or copy the PLUs to a new workbook, and import again.</source>
        <translation>На первом листе есть значение в ячейке %1, за пределами %2 строк и %3 столбцов, которых хватает любой таблице PLU. Удалите то, что лежит за PLU, или скопируйте PLU в новую книгу и импортируйте снова.</translation>
    </message>
    <message>
        <source>The file is a PLU file, not a spreadsheet. Open it with File &gt; Open.</source>
        <translation>Это файл PLU, а не электронная таблица. Откройте его командой Файл &gt; Открыть.</translation>
    </message>
    <message>
        <source>no scratch folder: %1</source>
        <translation>нет временной папки: %1</translation>
    </message>
</context>
</TS>
