#pragma once

#include "technic/ApplicationOpener.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace orvane::test {

// Records every path it is asked to open; `onOpen` runs after recording and may throw to play a
// failing opener.
class RecordingOpener final : public ApplicationOpener {
public:
    std::function<void(const std::filesystem::path&)> onOpen;
    // What startedProcess() answers: the launcher an open started itself.
    std::shared_ptr<StartedProcess> started;

    void open(const std::filesystem::path& target) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_opened.push_back(target);
        }
        if (onOpen)
            onOpen(target);
    }

    std::shared_ptr<StartedProcess> startedProcess() const override { return started; }

    std::vector<std::filesystem::path> opened() const
    {
        const std::lock_guard lock(m_mutex);
        return m_opened;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::filesystem::path> m_opened;
};

} // namespace orvane::test
