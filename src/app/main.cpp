#include "appidentity.h"
#include "tarexa.h"
#include "translators.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

int main(int argc, char **argv)
{
    // Fusion is the toolkit's own cross-platform style; set before the
    // application object exists, it is applied when that is created.
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    Q_INIT_RESOURCE(tarexa);

    QApplication app(argc, argv);
    setApplicationIdentity();
    installTranslators(app);

    QFont mainFont("Arial Unicode", 10);
    QApplication::setFont(mainFont);

    auto *mw = new Tarexa;
    mw->setWindowTitle("Tarexa");
    mw->show();
    return app.exec();
}
