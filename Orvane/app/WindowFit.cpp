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
    const QRect centred(available.left() + (available.width() - size.width() - frame.left() - frame.right()) / 2
                            + frame.left(),
                        available.top() + (available.height() - size.height() - frame.top() - frame.bottom()) / 2
                            + frame.top(),
                        size.width(), size.height());
    return keptInside(centred, minimum, available, frame);
}

QRect keptInside(const QRect& content, QSize minimum, const QRect& available, const QMargins& frame)
{
    const QSize room = roomFor(available, frame);
    const QSize size(std::max(minimum.width(), std::min(content.width(), room.width())),
                     std::max(minimum.height(), std::min(content.height(), room.height())));
    const QRect outer = QRect(content.topLeft(), size).marginsAdded(frame);
    const int left = keptStart(outer.left(), outer.width(), available.left(), available.left() + available.width());
    const int top = keptStart(outer.top(), outer.height(), available.top(), available.top() + available.height());
    return {left + frame.left(), top + frame.top(), size.width(), size.height()};
}

} // namespace orvane::WindowFit
