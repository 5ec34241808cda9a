#pragma once

#include <QString>

#include <filesystem>
#include <vector>

namespace orvane {

// One label and value of the details sheet's detail rows, as text.
struct DetailRowText {
    QString label;
    QString value;

    bool operator==(const DetailRowText&) const = default;
};

using DetailRowTexts = std::vector<DetailRowText>;

// The last component of a file path, as the sheet names folders: a trailing "/" is ignored, and
// the root names itself.
QString lastPathComponentText(const std::filesystem::path& path);

} // namespace orvane
