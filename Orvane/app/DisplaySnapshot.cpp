#include "app/DisplaySnapshot.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace orvane {

MainDisplay DisplaySnapshot::current() const
{
    const std::lock_guard lock(m_mutex);
    return m_display;
}

void DisplaySnapshot::set(const MainDisplay& display)
{
    const std::lock_guard lock(m_mutex);
    m_display = display;
}

void DisplaySnapshot::updateFromPrimaryScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        set(measure(*screen));
}

MainDisplay DisplaySnapshot::measure(const QScreen& screen)
{
    const double scale = screen.devicePixelRatio();
    const QSize points = screen.size();
    return MainDisplay{std::llround(points.width() * scale), std::llround(points.height() * scale), scale};
}

MainDisplaySource DisplaySnapshot::sourceOf(std::shared_ptr<DisplaySnapshot> snapshot)
{
    return [snapshot = std::move(snapshot)] { return snapshot->current(); };
}

} // namespace orvane
