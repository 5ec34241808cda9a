#pragma once

#include "ui/desktop/Clipboard.h"
#include "ui/desktop/FileRevealer.h"
#include "ui/desktop/FolderChooser.h"
#include "ui/desktop/UrlOpener.h"
#include "ui/details/DetailsOperations.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace orvane::test {

// Records the pages and folders handed over; `beforeOpen` sees each one first. While `refuse` is
// set it answers as a desktop with no application for them.
class RecordingUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override
    {
        if (beforeOpen)
            beforeOpen(url);
        opened.push_back(url);
        return !refuse;
    }

    std::function<void(const QUrl&)> beforeOpen;
    std::vector<QUrl> opened;
    bool refuse = false;
};

// Records the files asked for; while `refuse` is set, reports their folders as not opened.
class RecordingRevealer final : public FileRevealer {
public:
    void reveal(const std::filesystem::path& file, std::function<void(const QUrl&)> folderNotOpened) override
    {
        revealed.push_back(file);
        if (refuse && folderNotOpened)
            folderNotOpened(QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string())));
    }
    std::vector<std::filesystem::path> revealed;
    bool refuse = false;
};

// Keeps the text it is given; refuses it while `refuse` is set.
class FakeClipboard final : public Clipboard {
public:
    bool putText(const QString& value) override
    {
        ++writes;
        if (refuse)
            return false;
        text = value;
        return true;
    }

    bool refuse = false;
    int writes = 0;
    QString text;
};

// Answers at once with `answer` and remembers what it was asked.
class ScriptedFolderChooser final : public FolderChooser {
public:
    QCoro::Task<std::optional<std::filesystem::path>> chooseFolder(QWidget*, QString message, QString acceptLabel) override
    {
        messages.push_back(message);
        acceptLabels.push_back(acceptLabel);
        co_return answer;
    }

    std::optional<std::filesystem::path> answer;
    std::vector<QString> messages;
    std::vector<QString> acceptLabels;
};

// Records which model operations the sheet started, in order. Each ends at once.
class RecordingDetailsOperations final : public DetailsOperations {
public:
    QCoro::Task<> refreshReadiness() override { co_return calls.append(QStringLiteral("refreshReadiness")); }
    QCoro::Task<> performInitialInspection() override { co_return calls.append(QStringLiteral("performInitialInspection")); }
    QCoro::Task<> inspect() override { co_return calls.append(QStringLiteral("inspect")); }
    QCoro::Task<> checkThisMac() override { co_return calls.append(QStringLiteral("checkThisMac")); }
    QCoro::Task<> chooseInstanceFolder(const std::filesystem::path& folder) override
    {
        folders.push_back(folder);
        co_return calls.append(QStringLiteral("chooseInstanceFolder"));
    }
    QCoro::Task<> backUpSettings() override { co_return calls.append(QStringLiteral("backUpSettings")); }
    QCoro::Task<> writeDiagnostic() override { co_return calls.append(QStringLiteral("writeDiagnostic")); }
    QCoro::Task<> backUpWorlds() override { co_return calls.append(QStringLiteral("backUpWorlds")); }
    QCoro::Task<> restoreSettings() override { co_return calls.append(QStringLiteral("restoreSettings")); }
    QCoro::Task<> restoreWorlds() override { co_return calls.append(QStringLiteral("restoreWorlds")); }
    QCoro::Task<> checkForUpdates() override { co_return calls.append(QStringLiteral("checkForUpdates")); }
    void reportNotOpened(const QUrl& url) override
    {
        calls << QStringLiteral("reportNotOpened");
        notOpened.push_back(url);
    }

    QStringList calls;
    std::vector<QUrl> notOpened;
    std::vector<std::filesystem::path> folders;
};

} // namespace orvane::test
