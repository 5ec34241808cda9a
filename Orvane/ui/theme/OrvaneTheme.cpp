#include "ui/theme/OrvaneTheme.h"

#include <QApplication>
#include <QStyleFactory>

namespace orvane {

namespace {

QColor rgb(qreal red, qreal green, qreal blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue));
}

} // namespace

QColor OrvaneTheme::white(qreal opacity)
{
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, float(opacity));
}

// clang-format off
const QColor& OrvaneTheme::background()     { static const QColor c = rgb(0.022, 0.024, 0.026); return c; }
const QColor& OrvaneTheme::textPrimary()    { static const QColor c = white(0.94); return c; }
const QColor& OrvaneTheme::textSecondary()  { static const QColor c = white(0.56); return c; }
const QColor& OrvaneTheme::textTertiary()   { static const QColor c = white(0.3); return c; }
const QColor& OrvaneTheme::hairline()       { static const QColor c = white(0.22); return c; }
const QColor& OrvaneTheme::hairlineStrong() { static const QColor c = white(0.52); return c; }
const QColor& OrvaneTheme::lime()           { static const QColor c = rgb(0.7, 1.0, 0.0); return c; }
const QColor& OrvaneTheme::red()            { static const QColor c = rgb(1.0, 0.38, 0.34); return c; }
const QColor& OrvaneTheme::amber()          { static const QColor c = rgb(1.0, 0.78, 0.34); return c; }
const QColor& OrvaneTheme::warning()        { return amber(); }
const QColor& OrvaneTheme::panelFill()      { static const QColor c = QColor::fromRgbF(0, 0, 0, 0.12f); return c; }
const QColor& OrvaneTheme::panelStroke()    { static const QColor c = white(0.72); return c; }
const QColor& OrvaneTheme::surface()        { static const QColor c = white(0.11); return c; }
// clang-format on

QFont OrvaneTheme::monospaced(int pixelSize, QFont::Weight weight)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont OrvaneTheme::tracked(const QFont& base, qreal tracking)
{
    QFont font = base;
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

// Pixel sizes of the desktop text styles the views were designed with: caption 10, body 13,
// title 22, large title 26.
const QFont& OrvaneTheme::captionFont()
{
    static const QFont f = monospaced(minimumTextPixelSize, QFont::Medium);
    return f;
}

const QFont& OrvaneTheme::bodyFont()
{
    static const QFont f = monospaced(13);
    return f;
}

const QFont& OrvaneTheme::labelFont() { return captionFont(); }
const QFont& OrvaneTheme::terminalFont() { return bodyFont(); }
const QFont& OrvaneTheme::packFont() { return bodyFont(); }

const QFont& OrvaneTheme::titleFont()
{
    static const QFont f = monospaced(22);
    return f;
}

const QFont& OrvaneTheme::largeTitleFont()
{
    static const QFont f = monospaced(26, QFont::Medium);
    return f;
}

const QPalette& OrvaneTheme::palette()
{
    static const QPalette p = [] {
        QPalette palette;
        const QColor window = background();
        const QColor base = rgb(0.06, 0.065, 0.07);
        const QColor button = rgb(0.1, 0.105, 0.11);
        const QColor text = rgb(0.94, 0.94, 0.94);
        const QColor dimmed = rgb(0.45, 0.45, 0.45);
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::AlternateBase, button);
        palette.setColor(QPalette::ToolTipBase, button);
        palette.setColor(QPalette::ToolTipText, text);
        palette.setColor(QPalette::PlaceholderText, dimmed);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Button, button);
        palette.setColor(QPalette::ButtonText, text);
        palette.setColor(QPalette::BrightText, red());
        palette.setColor(QPalette::Link, lime());
        palette.setColor(QPalette::Highlight, rgb(0.35, 0.5, 0.0));
        palette.setColor(QPalette::HighlightedText, text);
        palette.setColor(QPalette::Light, rgb(0.2, 0.2, 0.2));
        palette.setColor(QPalette::Midlight, rgb(0.15, 0.15, 0.15));
        palette.setColor(QPalette::Mid, rgb(0.1, 0.1, 0.1));
        palette.setColor(QPalette::Dark, rgb(0.03, 0.03, 0.03));
        palette.setColor(QPalette::Shadow, Qt::black);
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(QPalette::Disabled, role, dimmed);
        return palette;
    }();
    return p;
}

void OrvaneTheme::applyTo(QApplication& application)
{
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setPalette(palette());
}

} // namespace orvane
