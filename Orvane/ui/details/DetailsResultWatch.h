#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QScrollArea;

namespace orvane {

class Announcer;
class DetailsOperations;

// Brings the result of an action started in the details sheet into sight and to assistive
// technology when it arrives. The sheet scrolls, its STATUS line at the top and most tools far below
// it, so a result would otherwise land out of sight and unheard.
//
// Every operation the sheet starts goes through operations(). From then until it (and any work the
// model runs besides) ends, a change of a result line (the status, the update check's line, the copy
// feedback) scrolls that line into view and announces its text; when the work ends with the status as
// it was (the same report written again), the status is shown and announced all the same.
class DetailsResultWatch final : public QObject {
    Q_OBJECT

public:
    // Whether work runs that the model will report the end of (work the sheet did not start among it).
    using WorkProbe = std::function<bool()>;

    DetailsResultWatch(std::shared_ptr<DetailsOperations> operations, WorkProbe working, QObject* parent);

    // The operations the sheet starts; each call also starts watching for its result.
    const std::shared_ptr<DetailsOperations>& operations() const { return m_watched; }
    // Where results show (the first line is the status, shown when work ends with no line changed),
    // and who speaks them.
    void watch(QScrollArea* scroll, std::vector<QLabel*> lines, std::shared_ptr<Announcer> announcer);
    // A line the sheet set itself (the copy feedback) is its action's result at once.
    void showNow(QLabel* line);
    // Looks for a result; the sheet calls it after each refresh.
    void settle();

private:
    struct Line {
        QPointer<QLabel> label;
        QString text; // as it read when the action started or was last shown
    };

    // An operation started, and one ended.
    void expect();
    void ended();
    void show(QLabel* line);
    void scrollTo(QLabel* line);

    std::shared_ptr<DetailsOperations> m_watched;
    WorkProbe m_working;
    QPointer<QScrollArea> m_scroll;
    std::shared_ptr<Announcer> m_announcer;
    std::vector<Line> m_lines;
    int m_running = 0; // operations started through operations() that have not ended
    bool m_pending = false;
    QPointer<QLabel> m_lastShown; // the result line shown last since the action started
};

} // namespace orvane
