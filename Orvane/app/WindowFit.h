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
// fits, each side on its own; never below `minimum`, even on a screen smaller than that.
QSize fittedSize(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame);

// The first geometry: the fitted size, centred in the available area.
QRect firstGeometry(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame);

// `content` kept on screen once its frame is known: shrunk where it does not fit (never grown, never
// below `minimum`) and moved as little as needed to bring the frame inside the available area. Where
// the window cannot fit at all, its frame's top-left corner is kept inside, so the title bar stays
// reachable.
QRect keptInside(const QRect& content, QSize minimum, const QRect& available, const QMargins& frame);

} // namespace orvane::WindowFit
