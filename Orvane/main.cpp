#include "app/OrvaneApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    orvane::OrvaneApp::configure(application);
    orvane::OrvaneApp app;
    app.show();
    return QApplication::exec();
}
