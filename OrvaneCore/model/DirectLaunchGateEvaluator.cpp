#include "model/DirectLaunchGateEvaluator.h"

namespace orvane {

namespace {

// White space and line ends: U+0009-000D, U+0020, U+0085, U+00A0, U+1680, U+2000-200A, U+2028,
// U+2029, U+202F, U+205F, U+3000. QString::trimmed knows only part of this set.
bool isWhiteSpaceOrLineEnd(char16_t u)
{
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x85 || u == 0xA0 || u == 0x1680
        || (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F
        || u == 0x3000;
}

// Empty once white space and line ends are trimmed from both ends.
bool isBlankAfterTrimming(const QString& text)
{
    for (const QChar c : text) {
        if (!isWhiteSpaceOrLineEnd(c.unicode()))
            return false;
    }
    return true;
}

bool securityReviewHolds(const Stage2GateEvidence& evidence, const QDateTime& now)
{
    return evidence.securityReviewApproved && evidence.securityReviewer
        && !isBlankAfterTrimming(*evidence.securityReviewer) && evidence.securityReviewedAt
        && evidence.securityReviewedAt->isValid() && *evidence.securityReviewedAt <= now;
}

} // namespace

DirectLaunchGateReport DirectLaunchGateEvaluator::evaluate(const Stage2GateEvidence& evidence) const
{
    std::vector<DirectLaunchGateRequirement> missing;
    if (!evidence.minecraftServicesApproved)
        missing.push_back(DirectLaunchGateRequirement::minecraftServicesApproval);
    if (!evidence.technicWrittenAuthorization)
        missing.push_back(DirectLaunchGateRequirement::technicWrittenAuthorization);
    if (!evidence.contentRightsRegistryComplete)
        missing.push_back(DirectLaunchGateRequirement::completeContentRightsRegistry);
    if (!securityReviewHolds(evidence, now))
        missing.push_back(DirectLaunchGateRequirement::namedSecurityReview);
    return DirectLaunchGateReport{missing.empty(), std::move(missing)};
}

} // namespace orvane

