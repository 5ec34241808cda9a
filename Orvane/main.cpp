#include "app/AppSeams.h"
#include "app/CompanionSessionPort.h"
#include "app/OrvaneApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    orvane::OrvaneApp::configure(application);

    orvane::AppSeams seams = orvane::AppSeams::system();
    auto session = orvane::CompanionSessionPort::make(seams);
    orvane::OrvaneApp app(std::move(session), std::move(seams));
    app.show();
    return QApplication::exec();
}
