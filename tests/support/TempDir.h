#pragma once

#include <QByteArray>

#include <filesystem>

namespace orvane::test {

// A fresh folder under the system temp folder, removed with everything in it on destruction.
class TempDir final {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return m_path / relative; }

private:
    std::filesystem::path m_path;
};

// Writes `bytes` to `path`, creating the parent folders.
void writeFile(const std::filesystem::path& path, const QByteArray& bytes);
// The whole file, or an empty array when it cannot be read.
QByteArray readFile(const std::filesystem::path& path);

} // namespace orvane::test
