#pragma once

#include "platform/CommandRunner.h"
#include "platform/OpenTool.h"
#include "platform/ProcessSpawner.h"
#include "platform/RosettaProbe.h"
#include "platform/SystemFacts.h"
#include "support/FakeStartedProcess.h"

#include <functional>
#include <map>
#include <system_error>
#include <vector>

namespace orvane::test {

// System facts set by the test.
class FakeSystemFacts final : public SystemFacts {
public:
    std::uint64_t memoryBytes = 0;
    std::map<QString, QString> settings; // sysctlString answers; any other name reads "unknown"
    QString machine = QStringLiteral("arm64");
    bool translated = false;
    std::uint64_t availableBytes = 0;
    QString operatingSystem = QStringLiteral("Test OS 1.0");
    std::vector<std::filesystem::path> volumesAsked;

    std::uint64_t physicalMemoryBytes() override { return memoryBytes; }
    QString sysctlString(const QString& name) override
    {
        const auto found = settings.find(name);
        return found == settings.end() ? QStringLiteral("unknown") : found->second;
    }
    QString architecture() override { return machine; }
    bool processTranslated() override { return translated; }
    std::uint64_t volumeAvailableBytes(const std::filesystem::path& folder) override
    {
        volumesAsked.push_back(folder);
        return availableBytes;
    }
    QString osVersion() override { return operatingSystem; }
};

class FakeRosettaProbe final : public RosettaProbe {
public:
    explicit FakeRosettaProbe(bool installed = false) : installed(installed) {}
    bool installed;
    int calls = 0;
    bool isInstalled() override
    {
        ++calls;
        return installed;
    }
};

// Records every command; answers with `respond` (exit status 0 and no output when unset).
class RecordingCommandRunner final : public CommandRunner {
public:
    std::vector<Command> commands;
    std::function<CommandResult(const Command&)> respond;

    CommandResult run(const Command& command) override
    {
        commands.push_back(command);
        return respond ? respond(command) : CommandResult {};
    }
};

// Records every start; fails with `failure` (an errno) when set.
class RecordingProcessSpawner final : public ProcessSpawner {
public:
    struct Start {
        std::filesystem::path executable;
        std::vector<std::string> arguments;
        ProcessEnvironment environment;
        bool operator==(const Start&) const = default;
    };
    std::vector<Start> starts;
    int failure = 0;
    pid_t nextPid = 4242;

    std::shared_ptr<StartedProcess> startDetached(const std::filesystem::path& executable,
                                                  const std::vector<std::string>& arguments,
                                                  const ProcessEnvironment& environment) override
    {
        if (failure != 0)
            throw std::system_error(failure, std::generic_category(), "start " + executable.native());
        starts.push_back({executable, arguments, environment});
        return std::make_shared<FakeStartedProcess>(nextPid++);
    }
};

// Records every opened path; returns `status`, or fails with `failure` (an errno) when set.
class RecordingOpenTool final : public OpenTool {
public:
    std::vector<std::filesystem::path> opened;
    int status = 0;
    int failure = 0;

    int open(const std::filesystem::path& target) override
    {
        if (failure != 0)
            throw std::system_error(failure, std::generic_category(), "start xdg-open");
        opened.push_back(target);
        return status;
    }
};

} // namespace orvane::test
