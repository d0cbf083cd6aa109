#ifndef XML_H
#define XML_H

#include "plu.h"

#include <QByteArray>
#include <QList>

class PluTable;
class QDomDocument;
class QDomElement;

// No PLU file comes anywhere near this size (999 rows take some 150 KiB);
// anything larger is refused before a byte of it is read.
constexpr qint64 MaxPluFileSize = 16 * 1024 * 1024;

// Turns the bytes of a PLU file into its PLU elements, in file order and
// with every attribute that is absent left empty. Only the direct "PLU"
// children of a "PLU_DataBase" root count. Returns false, leaving rows
// alone, when the bytes are not well-formed XML, the root has another name,
// or the document type declares entities; reason, when given, then says
// why, with the line and column. Every other element beside the PLUs, and
// a PLU deeper down, is passed over; skipped, when given, gets a line
// naming each (the first few; then a count), so that a file written by
// another program never loses a PLU without a word.
// Touches no window, so the loader can be exercised on arbitrary bytes.
bool parsePluDocument(const QByteArray &bytes, QList<PLU_STRING> &rows,
                      QString *reason = nullptr, QStringList *skipped = nullptr);

// A character that no PLU file can hold, and where it stands: the Number
// of its element and the index of its attribute in the written order
// (0 Number, 1 Price, 2 to 4 the names, 5 Barcode, 6 Durability).
struct UnwritableCharacter
{
    QString number;
    int attribute = -1;
    char32_t code = 0;
};

// The bytes of a PLU file for a document built of PluToNode elements:
// Windows-1251, LF line ends, attributes in their fixed order, characters
// the code page lacks as numeric references. Returns false when a value
// holds a character that XML cannot carry at all (such a file could never
// be opened again), and says which in unwritable when given.
bool serialisePluDocument(const QDomDocument &document, QByteArray &bytes,
                          UnwritableCharacter *unwritable = nullptr);

// The "PLU" element of a PLU file for s, attributes in their fixed order.
QDomElement pluElement(QDomDocument &document, const PLU_STRING &s);

// The bytes of the PLU file for the rows in use of table (see
// serialisePluDocument).
bool serialisePluTable(const PluTable &table, QByteArray &bytes,
                       UnwritableCharacter *unwritable = nullptr);

// Why a file was not written.
struct WriteFailure
{
    enum Kind {
        Failed,             // the system refused or failed; reason says how
        NotRegularFile,     // the name is a FIFO, a device, a folder, a socket, or a link to one
        UnsafeFolder,       // no temporary file can be made beside the file
    };
    Kind kind = Failed;
    QString reason;         // a few words: the system's, or "not a regular file"
};

// What the user is told when writing fileName failed: one or two sentences
// that say what happened and what to do.
QString writeFailureMessage(const QString &fileName, const WriteFailure &failure);

// Writes bytes as fileName so that no failure leaves a half-written file:
// through a temporary file beside it that replaces the old one only once
// all of it is on the disk. Only a regular file is replaced (a link to one
// replaces the file it leads to); anything else of that name is refused and
// left alone, and so is a file whose folder takes no new file, since a
// rewrite in place would not survive a failure halfway. False, with why
// when failure is given, on any failure.
bool writePluFile(const QString &fileName, const QByteArray &bytes,
                  WriteFailure *failure = nullptr);

// Whether writePluFile could write fileName, without writing it: for a
// command that has a long way to go before its file is ready. False, with
// why when failure is given, when the name is no regular file or no file
// can be made beside it (a missing folder too). Makes and removes a
// temporary file beside fileName.
bool mayWritePluFile(const QString &fileName, WriteFailure *failure = nullptr);

// Reads the whole of a regular file of at most MaxPluFileSize bytes (a
// FIFO or device is refused without waiting). False, with the system's
// reason when reason is given, on any failure. The spreadsheet import
// reads through it, and so does the .xlsx export, from its scratch file.
bool readSmallFile(const QString &fileName, QByteArray &bytes, QString *reason = nullptr);

// Reads and parses the whole PLU file (a regular file of at most
// MaxPluFileSize bytes). False, with the system's reason or the XML error
// and its line and column when reason is given, on any failure. skipped
// as for parsePluDocument.
bool readPluFile(const QString &fileName, QList<PLU_STRING> &rows, QString *reason = nullptr,
                 QStringList *skipped = nullptr);

// A PLU of a file as it goes into a table: its row and its texts with every
// value its column refuses emptied.
struct FilePlu
{
    int row = -1;
    PLU_STRING accepted;
};
// The PLUs of a file's elements, in file order. An element whose number is
// no PLU number, or repeats an earlier one, is left out rather than guessed
// at, and so is each value its column refuses; refusals gets a line for
// each, naming the element or the PLU, the column and the value.
QList<FilePlu> acceptedFilePlus(const QList<PLU_STRING> &elements, QStringList &refusals);

#endif // XML_H
