#include "ui/theme/PickaxeMotif.h"

#include "ui/theme/OrvaneTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace orvane {

namespace {

constexpr qreal lineSpacing = 2;

const QFont& motifFont()
{
    static const QFont font = OrvaneTheme::tracked(OrvaneTheme::monospaced(13), 0.5);
    return font;
}

QStringList lines() { return PickaxeMotif::text().split(QLatin1Char('\n')); }

QSizeF blockSize()
{
    const QFontMetricsF metrics(motifFont());
    const QStringList all = lines();
    qreal width = 0;
    for (const QString& line : all)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width, all.size() * metrics.height() + (all.size() - 1) * lineSpacing};
}

} // namespace

const QString& PickaxeMotif::text()
{
    static const QString motif = QStringList{
        QStringLiteral("############"),
        QStringLiteral("///          #####   /"),
        QStringLiteral("   ########_    ####/"),
        QStringLiteral("          /  /    ##"),
        QStringLiteral("         #/  /    #"),
        QStringLiteral("        ##  ///   | |"),
        QStringLiteral("       ##   //    | |"),
        QStringLiteral("      ##   //     | |"),
        QStringLiteral("     ##   //      | |"),
        QStringLiteral("    ##   //        //"),
        QStringLiteral("   ##   //"),
        QStringLiteral("  ##   //"),
        QStringLiteral(" ##   //"),
        QStringLiteral("##   //"),
    }.join(QLatin1Char('\n'));
    return motif;
}

QPointF PickaxeMotif::centre(QSizeF space)
{
    return {std::min(space.width() * 0.23, 230.0), std::min(space.height() * 0.37, 280.0)};
}

QRectF PickaxeMotif::textRect(const QRectF& space)
{
    const QSizeF size = blockSize();
    const QPointF middle = space.topLeft() + centre(space.size());
    return {middle - QPointF(size.width() / 2, size.height() / 2), size};
}

void PickaxeMotif::paint(QPainter& painter, const QRectF& space, bool increasedContrast)
{
    const QRectF block = textRect(space);
    const QFontMetricsF metrics(motifFont());
    painter.save();
    painter.setFont(motifFont());
    painter.setPen(OrvaneTheme::white(opacity(increasedContrast)));
    qreal y = block.top() + metrics.ascent();
    for (const QString& line : lines()) {
        painter.drawText(QPointF(block.left(), y), line);
        y += metrics.height() + lineSpacing;
    }
    painter.restore();
}

} // namespace orvane
