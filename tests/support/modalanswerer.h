#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

// What a test saw of one message box.
struct SeenBox
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QString detailedText;       // the "Show Details..." section, or empty
    QStringList buttons;        // button texts, in the box's order
    QString defaultButton;      // text of the default button, or empty
    QString escapeButton;       // text of the escape button, or empty
    QString pressed;            // text of the button the answerer pressed
};

// Answers the modal dialogs that the code under test opens: message boxes,
// file dialogs and, through handleWith, the program's other dialogs; a
// progress dialog (of one scale or of all) is left to run. Answers are
// queued in the order the dialogs will come; a dialog with no queued
// answer is dismissed (a box by its escape button, else its only or first
// button; a file dialog is cancelled, another dialog rejected) and
// recorded all the same, so a test never hangs on an unexpected box.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(QObject *parent = nullptr);

    void pressButton(QMessageBox::StandardButton button);
    void pressButton(const QString &buttonText);
    void chooseFile(const QString &path);
    void cancelFile();
    // Runs an action on the dialog instead of answering it (for example to
    // check what a file dialog offers); the action must close the dialog.
    void handleWith(std::function<void(QWidget *)> action);

    QList<SeenBox> boxes;
    QStringList fileDialogTitles;
    QStringList otherDialogTitles;

    // Waits until count message boxes have been answered.
    bool waitForBoxes(int count, int timeoutMs = 10000);
    int pendingAnswers() const { return int(m_answers.size()); }
    QStringList texts() const;

private slots:
    void poll();

private:
    struct Answer
    {
        enum Kind { Standard, Text, File, Cancel, Custom } kind;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QString text;
        std::function<void(QWidget *)> action;
    };

    void answerBox(QMessageBox *box);
    void answerFileDialog(QWidget *dialog);
    void answerOtherDialog(QDialog *dialog);
    bool takeAnswer(Answer &answer);

    QList<Answer> m_answers;
    bool wasHandled(QWidget *modal);

    QList<QPointer<QWidget>> m_handled;     // still open, each answered once
    QTimer m_timer;
};

// For handleWith: presses the button of the dialog with this text
// (mnemonics ignored), or rejects the dialog when it has none.
std::function<void(QWidget *)> pressDialogButton(const QString &text);

#endif // MODALANSWERER_H
