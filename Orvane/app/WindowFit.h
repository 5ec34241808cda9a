#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace orvane::WindowFit {

// Where a top-level window goes on a screen, in the screen's device-independent pixels (Qt has
// already divided by the device pixel ratio and QT_SCALE_FACTOR). `available` is the screen's area
// without panels; `frame` is what the window manager draws around the content (zero where it is not
// known yet). Geometries are the content's, as QWidget::setGeometry takes them.

// The content size to open at: `wanted` where it fits with its frame, else the largest size that
// fits, each side on its own; never below `minimum`, even on a screen smaller than that. Once the
// frame is known, the same with the window's size as `wanted` shrinks it to fit and never grows it.
QSize fittedSize(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame);

// The first geometry: the fitted size, centred in the available area; where even the minimum does
// not fit, the frame's top-left corner stays inside, so that the title bar is reachable.
QRect firstGeometry(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame);

} // namespace orvane::WindowFit
