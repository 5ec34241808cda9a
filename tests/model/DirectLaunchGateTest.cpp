#include "json/DecodingError.h"
#include "model/DirectLaunchGateEvaluator.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

using R = DirectLaunchGateRequirement;

const QDateTime now(QDate(2026, 12, 9), QTime(4, 0, 0), Qt::UTC);

Stage2GateEvidence allTrue(const QString& reviewer, const QDateTime& reviewedAt)
{
    return Stage2GateEvidence{true, true, true, true, reviewer, reviewedAt};
}

std::vector<R> missing(const Stage2GateEvidence& evidence)
{
    const auto report = DirectLaunchGateEvaluator{now}.evaluate(evidence);
    EXPECT_EQ(report.isEligible, report.missing.empty());
    return report.missing;
}

} // namespace

TEST(DirectLaunchGate, RequirementsAreListedInRequirementOrder)
{
    const std::vector<R> all(allDirectLaunchGateRequirements.begin(), allDirectLaunchGateRequirements.end());
    EXPECT_EQ(missing(Stage2GateEvidence{}), (std::vector<R>{R::minecraftServicesApproval, R::technicWrittenAuthorization,
                                                             R::completeContentRightsRegistry, R::namedSecurityReview}));
    EXPECT_EQ(missing(Stage2GateEvidence{}), all);
    EXPECT_EQ(missing(allTrue("Ada", now)), std::vector<R>{});

    auto e = allTrue("Ada", now);
    e.technicWrittenAuthorization = false;
    EXPECT_EQ(missing(e), std::vector<R>{R::technicWrittenAuthorization});
    e.securityReviewApproved = false;
    e.minecraftServicesApproved = false;
    EXPECT_EQ(missing(e), (std::vector<R>{R::minecraftServicesApproval, R::technicWrittenAuthorization,
                                          R::namedSecurityReview}));
    e = allTrue("Ada", now);
    e.contentRightsRegistryComplete = false;
    EXPECT_EQ(missing(e), std::vector<R>{R::completeContentRightsRegistry});
}

TEST(DirectLaunchGate, SecurityReviewNeedsANamedReviewerAndADateNotAfterNow)
{
    const QDateTime yesterday = now.addDays(-1);
    EXPECT_EQ(missing(allTrue("Ada", now.addSecs(1))), std::vector<R>{R::namedSecurityReview});
    EXPECT_EQ(missing(allTrue("   ", yesterday)), std::vector<R>{R::namedSecurityReview});
    EXPECT_EQ(missing(allTrue("", yesterday)), std::vector<R>{R::namedSecurityReview});
    // Every Unicode white space and line end is trimmed, not only ASCII; a zero-width space is not white space.
    const QString blank = QString::fromUtf16(u"\t\n\v\f\r \x85\xA0\x1680\x2000\x2005\x200A\x2028\x2029\x202F\x205F\x3000");
    EXPECT_EQ(missing(allTrue(blank, yesterday)), std::vector<R>{R::namedSecurityReview});
    EXPECT_EQ(missing(allTrue(blank + "Ada" + blank, yesterday)), std::vector<R>{});
    EXPECT_EQ(missing(allTrue(QString::fromUtf16(u"\x200B"), yesterday)), std::vector<R>{});

    auto e = allTrue("Ada", yesterday);
    e.securityReviewApproved = false;
    EXPECT_EQ(missing(e), std::vector<R>{R::namedSecurityReview});
    e = allTrue("Ada", yesterday);
    e.securityReviewer.reset();
    EXPECT_EQ(missing(e), std::vector<R>{R::namedSecurityReview});
    e = allTrue("Ada", yesterday);
    e.securityReviewedAt.reset();
    EXPECT_EQ(missing(e), std::vector<R>{R::namedSecurityReview});
}

TEST(DirectLaunchGate, EvidenceAndReportJson)
{
    EXPECT_EQ(fromJson<Stage2GateEvidence>(QJsonObject()), Stage2GateEvidence{});
    EXPECT_EQ(fromJson<Stage2GateEvidence>(
                  QJsonObject{{"minecraftServicesApproved", QJsonValue::Null}, {"securityReviewer", QJsonValue::Null}}),
              Stage2GateEvidence{});
    for (const auto& [key, value] : {std::pair{"securityReviewApproved", QJsonValue("yes")},
                                     {"technicWrittenAuthorization", QJsonValue(1)},
                                     {"securityReviewedAt", QJsonValue("yesterday")}})
        EXPECT_THROW(fromJson<Stage2GateEvidence>(QJsonObject{{key, value}}), DecodingError) << key;

    EXPECT_EQ(toJson(Stage2GateEvidence{}).keys(),
              (QStringList{"contentRightsRegistryComplete", "minecraftServicesApproved", "securityReviewApproved",
                           "technicWrittenAuthorization"}));
    const Stage2GateEvidence full = allTrue("Ada", now);
    EXPECT_EQ(toJson(full).value("securityReviewedAt").toString(), QStringLiteral("2026-12-09T04:00:00Z"));
    EXPECT_EQ(fromJson<Stage2GateEvidence>(toJson(full)), full);

    const DirectLaunchGateReport report{false, {R::completeContentRightsRegistry, R::namedSecurityReview}};
    EXPECT_EQ(toJson(report).value("missing").toArray(), (QJsonArray{"completeContentRightsRegistry", "namedSecurityReview"}));
    EXPECT_EQ(fromJson<DirectLaunchGateReport>(toJson(report)), report);
    EXPECT_THROW(fromJson<DirectLaunchGateReport>(QJsonObject{{"isEligible", false}, {"missing", QJsonArray{"other"}}}),
                 DecodingError);
}
