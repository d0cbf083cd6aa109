#include "changesquestions.h"
#include "changes.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

// A longer list goes to the details, so the box stays on the screen.
const int PlusListedInText = 20;

// The texts of this file, as translators see them.
struct ChangesQuestions
{
    Q_DECLARE_TR_FUNCTIONS(ChangesQuestions)
};

QString shortNumberList(const QList<int> &plus)
{
    if (plus.size() <= PlusListedInText)
        return numberListText(plus);
    return ChangesQuestions::tr("%1 and %2 more").arg(numberListText(plus.mid(0, PlusListedInText))).arg(plus.size() - PlusListedInText);
}

} // namespace

ChangesStart askWithoutSnapshot(QWidget *parent, const QString &device, Snapshot::State state)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(ChangesQuestions::tr("Program Changes"));
    box.setText(state == Snapshot::None
                    ? ChangesQuestions::tr("Tarexa does not know what the scale %1 holds yet.").arg(device)
                    : ChangesQuestions::tr("Tarexa knows only part of what the scale %1 holds: a transfer or a read "
                         "stopped early.").arg(device));
    box.setInformativeText(ChangesQuestions::tr("Compare reads the scale first and shows what differs; you can send "
                              "the changes from there. Program All sends every row in use of the "
                              "table."));
    QPushButton *compare = box.addButton(ChangesQuestions::tr("&Compare"), QMessageBox::AcceptRole);
    QPushButton *programAll = box.addButton(ChangesQuestions::tr("Program &All"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(compare);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == compare)
        return ChangesStart::Compare;
    if (box.clickedButton() == programAll)
        return ChangesStart::ProgramAll;
    return ChangesStart::Cancel;
}

bool askDeleteMissing(QWidget *parent, const QList<int> &plus)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(ChangesQuestions::tr("Program Changes"));
    box.setText(ChangesQuestions::tr("The scale holds PLUs that the table does not: %1.").arg(shortNumberList(plus)));
    box.setInformativeText(ChangesQuestions::tr("Delete them from the scale as well? Choose No to send only the "
                              "changes and keep them on the scale."));
    if (plus.size() > PlusListedInText)
        box.setDetailedText(numberListText(plus));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void tellNothingChanged(QWidget *parent)
{
    QMessageBox::information(parent, ChangesQuestions::tr("Tarexa"),
                             ChangesQuestions::tr("Nothing differs from what the scale holds; nothing was sent."));
}
