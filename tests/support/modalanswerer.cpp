#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace {

QString plainText(const QAbstractButton *button)
{
    return button ? button->text().remove('&') : QString();
}

// Types the whole path into the dialog's file name field, as a user can.
// selectFile() leaves that field alone while it has the keyboard focus, and
// the dialog would then return its folder instead of the file.
void typeFileName(QFileDialog *dialog, const QString &path)
{
    if (auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit"))
        edit->setText(path);
    else
        dialog->selectFile(path);
}

void later(std::function<void()> action)
{
    QTimer::singleShot(0, qApp, std::move(action));
}

} // namespace

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start(5);
}

void ModalAnswerer::pressButton(QMessageBox::StandardButton button)
{
    m_answers.append({ Answer::Standard, button, QString(), {} });
}

void ModalAnswerer::pressButton(const QString &buttonText)
{
    m_answers.append({ Answer::Text, QMessageBox::NoButton, buttonText, {} });
}

void ModalAnswerer::chooseFile(const QString &path)
{
    m_answers.append({ Answer::File, QMessageBox::NoButton, path, {} });
}

void ModalAnswerer::cancelFile()
{
    m_answers.append({ Answer::Cancel, QMessageBox::NoButton, QString(), {} });
}

void ModalAnswerer::handleWith(std::function<void(QWidget *)> action)
{
    m_answers.append({ Answer::Custom, QMessageBox::NoButton, QString(), std::move(action) });
}

bool ModalAnswerer::waitForBoxes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return boxes.size() >= count; }, timeoutMs);
}

QStringList ModalAnswerer::texts() const
{
    QStringList result;
    for (const SeenBox &box : boxes)
        result << box.text;
    return result;
}

bool ModalAnswerer::takeAnswer(Answer &answer)
{
    if (m_answers.isEmpty())
        return false;
    answer = m_answers.takeFirst();
    return true;
}

// A dialog that opened another one becomes the active one again when that
// one closes; it was answered already and must not take the next answer.
bool ModalAnswerer::wasHandled(QWidget *modal)
{
    m_handled.removeAll(QPointer<QWidget>());
    return std::any_of(m_handled.begin(), m_handled.end(),
                       [modal](const QPointer<QWidget> &handled) { return handled == modal; });
}

// The answer is carried out from a queued call, outside this timer slot, so
// that a dialog the answer itself opens (an overwrite question behind a file
// dialog) is seen by the next poll.
void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || wasHandled(modal))
        return;
    m_handled.append(modal);
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        answerBox(box);
    else if (qobject_cast<QFileDialog *>(modal))
        answerFileDialog(modal);
    else if (qobject_cast<QProgressDialog *>(modal) || modal->inherits("AllScalesProgressDialog"))
        return;     // the program's own progress, not a question to answer
    else if (auto *dialog = qobject_cast<QDialog *>(modal))
        answerOtherDialog(dialog);
}

void ModalAnswerer::answerBox(QMessageBox *box)
{
    SeenBox seen;
    seen.icon = box->icon();
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.detailedText = box->detailedText();
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *button : buttons)
        seen.buttons << plainText(button);
    seen.defaultButton = plainText(box->defaultButton());
    seen.escapeButton = plainText(box->escapeButton());

    QAbstractButton *toPress = nullptr;
    Answer answer;
    if (takeAnswer(answer)) {
        if (answer.kind == Answer::Custom) {
            boxes.append(seen);
            later([box, action = answer.action] { action(box); });
            return;
        }
        if (answer.kind == Answer::Standard)
            toPress = box->button(answer.button);
        for (QAbstractButton *button : buttons)
            if (answer.kind == Answer::Text && plainText(button) == answer.text)
                toPress = button;
    }
    if (!toPress)
        toPress = box->escapeButton();
    if (!toPress && !buttons.isEmpty())
        toPress = buttons.first();
    seen.pressed = plainText(toPress);
    boxes.append(seen);
    QPointer<QAbstractButton> button(toPress);
    QPointer<QMessageBox> target(box);
    later([button, target] {
        if (button)
            button->click();
        else if (target)
            target->reject();
    });
}

void ModalAnswerer::answerFileDialog(QWidget *modal)
{
    auto *dialog = static_cast<QFileDialog *>(modal);
    fileDialogTitles << dialog->windowTitle();
    Answer answer;
    QPointer<QFileDialog> target(dialog);
    if (!takeAnswer(answer) || answer.kind == Answer::Cancel) {
        later([target] { if (target) target->reject(); });
        return;
    }
    if (answer.kind == Answer::Custom) {
        later([target, action = answer.action] { if (target) action(target); });
        return;
    }
    later([target, path = answer.text] {
        if (!target)
            return;
        typeFileName(target, path);
        QMetaObject::invokeMethod(target, "accept");
    });
}

// The program's own dialogs (an input dialog, a list of findings) take only
// handleWith answers; with none queued they are rejected, as Escape does.
void ModalAnswerer::answerOtherDialog(QDialog *dialog)
{
    otherDialogTitles << dialog->windowTitle();
    Answer answer;
    QPointer<QDialog> target(dialog);
    if (takeAnswer(answer) && answer.kind == Answer::Custom) {
        later([target, action = answer.action] { if (target) action(target); });
        return;
    }
    later([target] { if (target) target->reject(); });
}

std::function<void(QWidget *)> pressDialogButton(const QString &text)
{
    return [text](QWidget *dialog) {
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text().remove(QLatin1Char('&')) == text) {
                button->click();
                return;
            }
        }
        static_cast<QDialog *>(dialog)->reject();
    };
}
