// The yardstick for Tarexa's start-up: the least a Qt program must do to
// show a maximized main window holding an empty 999 x 7 table.
#include <QApplication>
#include <QMainWindow>
#include <QTableWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QTableWidget(999, 7, &window));
    window.showMaximized();
    return app.exec();
}
