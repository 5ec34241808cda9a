#include "app/WindowFit.h"

#include <algorithm>

namespace orvane::WindowFit {

namespace {

QSize roomFor(const QRect& available, const QMargins& frame)
{
    return {available.width() - frame.left() - frame.right(), available.height() - frame.top() - frame.bottom()};
}

// One axis: the frame's start kept inside [low, high - length], the start winning when both cannot hold.
int keptStart(int frameStart, int frameLength, int low, int high)
{
    return std::max(low, std::min(frameStart, high - frameLength));
}

} // namespace

QSize fittedSize(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame)
{
    const QSize room = roomFor(available, frame);
    return {std::max(minimum.width(), std::min(wanted.width(), room.width())),
            std::max(minimum.height(), std::min(wanted.height(), room.height()))};
}

QRect firstGeometry(QSize wanted, QSize minimum, const QRect& available, const QMargins& frame)
{
    const QSize size = fittedSize(wanted, minimum, available, frame);
    const QSize outer = size.grownBy(frame);
    const int left = keptStart(available.left() + (available.width() - outer.width()) / 2, outer.width(),
                               available.left(), available.left() + available.width());
    const int top = keptStart(available.top() + (available.height() - outer.height()) / 2, outer.height(),
                              available.top(), available.top() + available.height());
    return {left + frame.left(), top + frame.top(), size.width(), size.height()};
}

} // namespace orvane::WindowFit
