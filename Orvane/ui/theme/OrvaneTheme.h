#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QApplication;

namespace orvane {

// The window's look: near-black background, white text at a few fixed opacities, one lime accent,
// red and amber for problems, and one monospaced family. Every value is built once, on first use,
// and shared by all views.
class OrvaneTheme final {
public:
    OrvaneTheme() = delete;

    static const QColor& background();
    static const QColor& textPrimary();
    static const QColor& textSecondary();
    static const QColor& textTertiary();
    static const QColor& hairline();
    static const QColor& hairlineStrong();
    static const QColor& lime();
    static const QColor& red();
    static const QColor& amber();
    static const QColor& warning();
    static const QColor& panelFill();
    static const QColor& panelStroke();
    static const QColor& surface();

    // The smallest type any text is drawn in, the caption's: a text that does not fit at it is elided
    // or wraps, never shrunk further.
    static constexpr int minimumTextPixelSize = 10;

    static const QFont& captionFont();
    static const QFont& bodyFont();
    static const QFont& labelFont();
    static const QFont& terminalFont();
    static const QFont& packFont();
    // The text styles the views use beside the named fonts, all in the monospaced family.
    static const QFont& titleFont();
    static const QFont& largeTitleFont();

    // White at the given opacity: most borders and fills are one of these.
    static QColor white(qreal opacity);
    // `base` with an absolute letter spacing (tracking) in pixels.
    static QFont tracked(const QFont& base, qreal tracking);
    // The monospaced family at a pixel size and weight.
    static QFont monospaced(int pixelSize, QFont::Weight weight = QFont::Normal);

    // The dark palette for the stock widgets (dialogs, the folder chooser).
    static const QPalette& palette();
    // The Fusion style with the dark palette: the window is dark whatever the desktop's theme.
    static void applyTo(QApplication& application);
};

} // namespace orvane
