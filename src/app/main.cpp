#include "tarnterm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Q_INIT_RESOURCE(tarnterm);
    QApplication app(argc, argv);
    TarnTerm window;
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
