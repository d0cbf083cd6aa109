#include "printcommands.h"
#include "actionstate.h"
#include "currentscale.h"
#include "document.h"
#include "plusheet.h"
#include "plutable.h"
#include "pricelist.h"
#include "xml.h"

#include <QAction>
#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMarginsF>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// A4 portrait with margins that every office printer can print within.
QPageLayout a4Portrait()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

const int PdfResolution = 300;

} // namespace

PrintCommands::PrintCommands(QMainWindow *window, const PluSheet &sheet, Document &document,
                             ActionState &actions, const CurrentScale &scale)
    : m_window(window), m_sheet(sheet), m_document(document), m_scale(scale)
{
    // Ctrl+P is Program: printing has no shortcut.
    m_printAct = actions.add(new QAction(tr("&Print..."), window));
    m_printAct->setStatusTip(tr("Print the PLUs in use as a price list"));
    QObject::connect(m_printAct, &QAction::triggered, m_printAct, [this] { print(); });

    m_exportPdfAct = actions.add(new QAction(tr("Export P&DF..."), window));
    m_exportPdfAct->setStatusTip(tr("Save the PLUs in use as a price list in a PDF file"));
    QObject::connect(m_exportPdfAct, &QAction::triggered, m_exportPdfAct,
                     [this] { exportPdf(); });
}

PriceList PrintCommands::priceList() const
{
    return PriceList(m_sheet.contents(),
                     { m_document.fileName(), m_scale.name, QDate::currentDate() });
}

bool PrintCommands::refusedAsEmpty(const PriceList &list, const QString &title)
{
    if (!list.isEmpty())
        return false;
    QMessageBox::information(m_window, title,
                             tr("No PLU has a price, so there is nothing to print. A row is in"
                                " use, and printed, once its price is filled in."));
    return true;
}

void PrintCommands::print()
{
    const PriceList list = priceList();
    if (refusedAsEmpty(list, tr("Print")))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(a4Portrait());
    printer.setDocName(tr("Price list"));
    QPrintDialog dialog(&printer, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!list.paint(printer)) {
        m_document.showStatus(tr("Could not print"));
        m_document.showFileError(tr("The price list could not be printed. Check that the"
                                    " printer is ready, then print again."));
        return;
    }
    m_document.showStatus(tr("The price list went to the printer"));
}

// The PDF is made in memory and written through the same durable write as
// a PLU file, so a failed export never leaves half a PDF behind. As in the
// other exports, a name typed without .pdf gets it, and is asked about
// again if a file of that name exists.
void PrintCommands::exportPdf()
{
    const PriceList list = priceList();
    if (refusedAsEmpty(list, tr("Export PDF")))
        return;
    const QString chosen = QFileDialog::getSaveFileName(m_window, tr("Export PDF"), QString(),
                                                        tr("PDF files (*.pdf)"));
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral("pdf"));
    if (path != chosen && QFileInfo::exists(path)
        && !m_document.confirm(
            tr("The file %1 already exists.\nDo you want to replace it?").arg(path), false))
        return;
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageLayout(a4Portrait());
        writer.setResolution(PdfResolution);
        writer.setTitle(tr("Price list"));
        writer.setCreator(QStringLiteral("Tarexa"));
        list.paint(writer);
    }
    WriteFailure failure;
    if (!writePluFile(path, pdf.data(), &failure)) {
        m_document.showStatus(tr("Could not write to %1").arg(path));
        m_document.showFileError(writeFailureMessage(path, failure));
        return;
    }
    m_document.showStatus(tr("Exported to %1").arg(path));
}
