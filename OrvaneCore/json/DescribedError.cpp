#include "json/DescribedError.h"

namespace orvane {

QString describe(const std::exception& error)
{
    if (const auto* ours = dynamic_cast<const DescribedError*>(&error))
        return ours->description();
    return QString::fromUtf8(error.what());
}

} // namespace orvane
