#include "support/ProcFixture.h"

#include "support/TempDir.h"

namespace orvane::test {

namespace {

constexpr std::size_t kKernelCommandNameBytes = 15;

QByteArray bytesOf(const std::string& text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace

ProcFixture::ProcFixture(std::filesystem::path root)
    : m_root(std::move(root))
{
    std::filesystem::create_directories(m_root / "proc");
}

std::filesystem::path ProcFixture::folder(std::int32_t pid) const
{
    return m_root / "proc" / std::to_string(pid);
}

void ProcFixture::addProcess(std::int32_t pid, const std::filesystem::path& executable,
                             const std::vector<std::string>& arguments, const std::optional<std::string>& comm)
{
    const auto dir = folder(pid);
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink(executable, dir / "exe");
    const std::string name = comm.value_or(executable.filename().native().substr(0, kKernelCommandNameBytes));
    writeFile(dir / "comm", bytesOf(name + "\n"));
    QByteArray commandLine;
    for (const auto& argument : arguments) {
        commandLine += bytesOf(argument);
        commandLine += '\0';
    }
    writeFile(dir / "cmdline", commandLine);
}

void ProcFixture::addUnreadableProcess(std::int32_t pid, const std::string& comm)
{
    const auto dir = folder(pid);
    std::filesystem::create_directories(dir);
    writeFile(dir / "comm", bytesOf(comm + "\n"));
    writeFile(dir / "cmdline", QByteArray());
}

void ProcFixture::addVanishedProcess(std::int32_t pid)
{
    std::filesystem::create_directory(folder(pid));
}

void ProcFixture::removeProcess(std::int32_t pid)
{
    std::filesystem::remove_all(folder(pid));
}

} // namespace orvane::test
