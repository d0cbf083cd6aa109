<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
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
        <source>The file has no Price column; its header holds %1. Name the column of prices Price or Цена and import again.</source>
        <translation>В файле нет столбца цен; в заголовке: %1. Назовите столбец цен «Price» или «Цена» и импортируйте снова.</translation>
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
        <source>The file holds binary data, not text. Choose a CSV file, or save the sheet as CSV (UTF-8) and import that.</source>
        <translation>Файл содержит двоичные данные, а не текст. Выберите файл CSV или сохраните таблицу как CSV (UTF-8) и импортируйте его.</translation>
    </message>
    <message>
        <source>The file is empty. Choose a CSV file with a header line and PLU rows.</source>
        <translation>Файл пуст. Выберите файл CSV со строкой заголовка и строками PLU.</translation>
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
        <source>Line %1, %2 &quot;%3&quot;: %4</source>
        <translation>Строка %1, %2 «%3»: %4</translation>
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
        <source>Bad data format.</source>
        <translation>Неверный формат данных.</translation>
    </message>
    <message>
        <source>PLU not found.</source>
        <translation>PLU не найден.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>The list is empty</source>
        <translation>Список пуст</translation>
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
        <translation>&amp;Сохранить</translation>
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
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>too large for a PLU file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>line %1, column %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the document type declares entities</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the root element is not PLU_DataBase</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Tarexa::Tarexa</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>TarexaCli</name>
    <message>
        <source>Try &apos;tarexa-cli --help&apos; for more information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not open communication device %1.</source>
        <translation>Не удалось открыть устройство связи %1.</translation>
    </message>
    <message>
        <source>Failed to configure communication device %1.</source>
        <translation>Не удалось настроить устройство связи %1.</translation>
    </message>
    <message>
        <source>Interrupted after PLU %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication error: the scale did not answer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication error: the scale did not answer (PLU %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bad data format: the scale refused PLU %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PLU not found: the scale holds no PLU.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The list is empty: no PLU of the file has a price.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in %1 s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not read from %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 PLUs sent, %2 accepted, %3 refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PLU %1, %2: &quot;%3&quot; was left out. %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PLU %1 holds the character U+%2, which a PLU file cannot store.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write to standard output.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write to %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 PLUs read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The scale sent %1 PLU(s) without a number from 0 to 998; they were left out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a PLU number (0 to 998) or range: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 PLUs deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 problem(s) in %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No command given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-o is for the read command only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown command or wrong arguments: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The serial device of the scale (default: the window&apos;s setting).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NAME</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where read writes the PLU file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FILE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>program, read, delete or check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[%1] %2 PLUs, PLU %3, %4 left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programs, reads and deletes the PLUs of a weigh scale, and checks PLU files.

Commands:
  program FILE          program every PLU of FILE
  read [-o FILE]        read every PLU into FILE (or standard output)
  delete N [N...]       delete these PLUs (ranges such as 3-10 too)
  check FILE            list every value of FILE a column refuses

Exit status:
  0    done
  1    check found problems
  2    usage error
  3    the file cannot be read or written, or has no PLU with a price
  4    the port cannot be opened or configured
  5    the scale did not answer
  6    the scale refused a PLU or replied with bad data
  130  interrupted (Ctrl+C)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
