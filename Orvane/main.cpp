#include "app/AppSeams.h"
#include "app/CompanionSessionPort.h"
#include "app/OrvaneApp.h"
#include "app/SingleInstance.h"

#include <QApplication>

#include <exception>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    orvane::OrvaneApp::configure(application);

    // One Orvane per session: a later start brings the running one's window to the front and ends.
    std::unique_ptr<orvane::SingleInstance> instance;
    try {
        instance = std::make_unique<orvane::SingleInstance>(orvane::SingleInstance::sessionFolder());
        if (instance->claim() == orvane::SingleInstance::Claim::handedOver)
            return 0;
    } catch (const std::exception& error) {
        // The stores' own locks still keep the data safe; only the one-window rule is lost.
        qWarning("Orvane cannot keep to one window per session: %s", error.what());
        instance.reset();
    }

    orvane::AppSeams seams = orvane::AppSeams::system();
    auto session = orvane::CompanionSessionPort::make(seams);
    orvane::OrvaneApp app(std::move(session), std::move(seams));
    if (instance)
        app.followLaterStarts(*instance);
    app.show();
    return QApplication::exec();
}
