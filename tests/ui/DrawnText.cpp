#include "DrawnText.h"

#include <QFontInfo>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTextItem>
#include <QWidget>

namespace orvane::test {

namespace {

// A paint engine that draws nothing and keeps every run of text it is given.
class TextRecordingEngine final : public QPaintEngine {
public:
    TextRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawTextItem(const QPointF& origin, const QTextItem& item) override
    {
        const QRectF box(origin.x(), origin.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        texts.push_back({item.text(), state->transform().mapRect(box), QFontInfo(item.font()).pixelSize()});
    }

    std::vector<DrawnText> texts;
};

class TextRecordingDevice final : public QPaintDevice {
public:
    explicit TextRecordingDevice(QSize size) : m_size(size) {}

    QPaintEngine* paintEngine() const override { return &m_engine; }
    std::vector<DrawnText>& texts() { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmNumColors: return 0x7fffffff;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    mutable TextRecordingEngine m_engine;
};

} // namespace

std::vector<DrawnText> drawnTexts(QWidget* widget)
{
    TextRecordingDevice device(widget->size());
    widget->render(&device, QPoint(), QRegion(), QWidget::RenderFlags());
    return device.texts();
}

std::vector<QWidget*> visibleWidgets(QWidget* root)
{
    std::vector<QWidget*> found;
    if (!root->isVisible())
        return found;
    found.push_back(root);
    for (QWidget* child : root->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        const auto below = visibleWidgets(child);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

std::vector<WidgetText> drawnTextsBelow(QWidget* root)
{
    std::vector<WidgetText> found;
    for (QWidget* widget : visibleWidgets(root))
        for (DrawnText& text : drawnTexts(widget))
            found.push_back({widget, std::move(text)});
    return found;
}

} // namespace orvane::test
