#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QWidget;

namespace orvane {

// Keeps the keyboard focus where the user left it while the focused control is unavailable (a tool
// that disables itself while its operation runs). Qt would hand the focus to the next control in
// the chain, so that a second Space could press a different button, even Done. Instead the focus
// is held: no control has it, Tab and Backtab go on from the held control, and the control gets it
// back when it is enabled again, unless the user has put the focus somewhere else meanwhile.
//
// A control disabled while no work runs (a refresh found its backup gone) will not come back, and
// neither will a held one still disabled once the work has ended: the focus then moves on to the
// next enabled control in the Tab order, with its ring when the focus had come from the keyboard,
// so that no key reaches the window's default action while the user sees no focus.
//
// When a menu, dialog or chooser closes, the focus goes back to the control that opened it while that
// control can take it, else to the next sensible one (returnFocus).
//
// The container (a window's content) forwards its focusNextPrevChild here first, and calls settle()
// after each refresh of its controls.
class OrvaneKeyboardFocusKeeper final : public QObject {
    Q_OBJECT

public:
    // Whether work runs that will enable the controls it disabled again when it ends.
    using WorkProbe = std::function<bool()>;

    // Without a probe every disabled control is held.
    explicit OrvaneKeyboardFocusKeeper(QWidget* container, WorkProbe working = {});

    // A result when the keeper decided the move: false holds the focus (Qt then clears it).
    std::optional<bool> focusNextPrevChild(bool next);
    // Moves the focus on from a held control that is still disabled once no work runs.
    void settle();
    // A menu, dialog or chooser opened from `opener` has closed: the focus goes to `opener` when it can
    // take it, else to `fallback`, else on from `opener` in the Tab order; with its ring when the
    // overlay was opened from the keyboard. An inactive window gives it when it is active again.
    void returnFocus(QWidget* opener, QWidget* fallback, bool keyboard);
    // The control whose focus is held, while no other control has taken the focus.
    QWidget* heldControl() const;
    // Whether the held focus had come from the keyboard (its ring showed).
    bool heldByKeyboard() const { return m_keyboard; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hold(QWidget* control);
    void release();
    bool focusIsFree() const;
    bool working() const;
    // Gives the focus to the next enabled control after `from`; false when there is none.
    static bool moveOn(QWidget* from, bool keyboard);
    static QWidget* neighbour(QWidget* from, bool next);
    static bool takesFocus(const QWidget* control);

    QWidget* m_container;
    WorkProbe m_working;
    QPointer<QWidget> m_held;
    QPointer<QWidget> m_window;
    bool m_keyboard = false;
};

} // namespace orvane
