#pragma once

#include <QRectF>
#include <QString>

#include <vector>

class QWidget;

namespace orvane::test {

// One run of text a widget drew: its characters, the box it covers in the widget's coordinates and
// the pixel size of its type.
struct DrawnText {
    QString text;
    QRectF box;
    int pixelSize = 0;
};

// The text `widget` itself draws (not its children), recorded from its paint event as it would be
// painted at its current size.
std::vector<DrawnText> drawnTexts(QWidget* widget);

// Every visible widget in `root` (itself included) and below it, in tree order; windows of their own
// (popups, dialogs) are left out.
std::vector<QWidget*> visibleWidgets(QWidget* root);

// The text every visible widget in `root` draws, each run with the widget that drew it.
struct WidgetText {
    QWidget* widget;
    DrawnText text;
};
std::vector<WidgetText> drawnTextsBelow(QWidget* root);

} // namespace orvane::test
