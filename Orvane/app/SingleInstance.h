#pragma once

#include <QLoggingCategory>
#include <QObject>

#include <filesystem>

class QLocalServer;

namespace orvane {

// What the one-Orvane rule tells about itself ("orvane.instance"; info lines are off unless asked
// for, e.g. QT_LOGGING_RULES="orvane.instance.info=true").
Q_DECLARE_LOGGING_CATEGORY(lcSingleInstance)

// One Orvane per user session. The first start listens on a local socket in a private folder of this
// user; a later start finds it there, asks it to come to the front and steps aside. A socket left by
// an Orvane that died is taken over. A lock file around the look-and-listen keeps two starts at the
// same moment from both becoming the first.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        first,      // this process is the session's Orvane and now listens for later starts
        handedOver, // another Orvane runs and was asked to come to the front
    };

    // `folder` is private to this user (userRuntimeFolder()); the socket and the lock file live in it.
    explicit SingleInstance(std::filesystem::path folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // This user's folder for it, made when missing; throws std::system_error when none can be trusted.
    static std::filesystem::path sessionFolder();

    // Becomes the session's Orvane or hands over to the running one. Throws std::system_error or
    // std::runtime_error when it can do neither. Called once.
    Claim claim();

    std::filesystem::path socketPath() const;

Q_SIGNALS:
    // A later start asked this one to bring its window to the front.
    void activationRequested();

private:
    bool handOver();
    void listen();
    void serve();

    std::filesystem::path m_folder;
    QLocalServer* m_server = nullptr;
};

} // namespace orvane
