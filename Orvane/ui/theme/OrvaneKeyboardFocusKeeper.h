#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

class QWidget;

namespace orvane {

// Keeps the keyboard focus where the user left it while the focused control is unavailable (a tool
// that disables itself while its operation runs). Qt would hand the focus to the next control in
// the chain, so that a second Space could press a different button, even Done. Instead the focus
// is held: no control has it, Tab and Backtab go on from the held control, and the control gets it
// back when it is enabled again, unless the user has put the focus somewhere else meanwhile.
//
// The container (a window's content) forwards its focusNextPrevChild here first.
class OrvaneKeyboardFocusKeeper final : public QObject {
    Q_OBJECT

public:
    explicit OrvaneKeyboardFocusKeeper(QWidget* container);

    // A result when the keeper decided the move: false holds the focus (Qt then clears it).
    std::optional<bool> focusNextPrevChild(bool next);
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
    QWidget* neighbour(bool next) const;

    QWidget* m_container;
    QPointer<QWidget> m_held;
    QPointer<QWidget> m_window;
    bool m_keyboard = false;
};

} // namespace orvane
