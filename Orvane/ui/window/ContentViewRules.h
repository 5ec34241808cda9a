#pragma once

#include "app/AppSeams.h"
#include "model/AppModelState.h"

#include <QColor>
#include <QString>

#include <optional>

// The main window's texts and decisions, each a pure function of the model's state (and, where the
// window's own state matters, of that), so they are tested without widgets and recomputed on every
// model change.
namespace orvane::ContentViewRules {

// The badge's word: WORKING, WATCHING, CHECK SETUP, NEEDS SETUP, READY or SELECT PACK.
QString readinessWord(const AppModelState& state);
// The badge's colour: amber while a setup step is pending or the action is blocked, else by status level.
QColor accentColor(const AppModelState& state, const LauncherJavaProbe& probe);
// A handoff pack on an arm64 Mac without Rosetta or without a ready launcher Java.
bool macNeedsSetup(const AppModelState& state, const LauncherJavaProbe& probe);

// The line under the primary card, always upper case. A launch that failed shows its LAST CHECK line
// as soon as its result arrives, though the result's message is also the error line.
QString subtitleText(const AppModelState& state);
QColor subtitleColor(const AppModelState& state, const LauncherJavaProbe& probe, bool increasedContrast);
// What a screen reader reads for the line: what it shows (while a launch is watched, the detail of
// the watch), and beside a LAST CHECK line the observation's own sentence as its description.
QString subtitleAccessibilityLabel(const AppModelState& state);
QString subtitleAccessibilityHint(const AppModelState& state);

// What the window announces to a screen reader; nothing while the details sheet or the pack menu is open.
std::optional<QString> announcementText(const AppModelState& state, bool showingDetails, bool showingPackMenu);

// The pack button.
QString packVersionShown(const AppModelState& state);
QString packButtonAccessibilityLabel(const AppModelState& state);

// The primary button's spoken label: the title in capitalised words ("Prepare & Open Technic").
QString capitalisedWords(const QString& title);
// The launch-watch card's title.
QString watchCardTitle(const AppModelState& state);

// The recovery row.
bool restoreEnabled(const AppModelState& state);
QString restoreHint(const AppModelState& state);
// "Balanced ready, Java 8 missing, Rosetta ready" and the like.
QString readinessSummary(const AppModelState& state, const LauncherJavaProbe& probe);

} // namespace orvane::ContentViewRules
