#pragma once

// Keys as the desktop delivers them, and the keyboard focus ring as a test reads it.

#include "WindowHarness.h"

#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"

#include <QImage>
#include <QTest>
#include <QWidget>

namespace orvane::test {

inline void press(QWidget* inWindow, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(inWindow->window()->windowHandle(), key, modifiers);
}

inline int limePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += sameColour(image.pixel(x, y), OrvaneTheme::lime(), 40) ? 1 : 0;
    return count;
}

// The ring's line where it crosses the middle of its left edge, in the window's rendering.
inline bool ringDrawnAround(const QImage& image, const QWidget* control)
{
    const QRectF ring = OrvaneKeyboardFocus::of(control)->ringRect();
    return sameColour(image.pixel(int(ring.left()), int(ring.center().y())), OrvaneTheme::lime(), 60);
}

inline bool ringShown(const QWidget* control) { return OrvaneKeyboardFocus::of(control)->ringShown(); }

} // namespace orvane::test
