#include "ui/window/PackMenu.h"

#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TerminalDivider.h"
#include "ui/theme/TextButton.h"
#include "ui/window/PackMenuAccessibility.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace orvane {

namespace {

const QFont& menuFont()
{
    static const QFont font = OrvaneTheme::monospaced(13);
    return font;
}

constexpr qreal menuCornerRadius = 4;

} // namespace

PackRow::PackRow(const QString& id, const QString& name, const QString& version, bool increasedContrast,
                 QWidget* parent)
    : QAbstractButton(parent), m_id(id), m_name(name), m_version(version), m_increasedContrast(increasedContrast)
{
    setAccessibleName(m_name + QLatin1Char(' ') + m_version);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    OrvaneKeyboardFocus::attach(this, menuCornerRadius);
}

QSize PackRow::sizeHint() const
{
    const QFontMetricsF metrics(menuFont());
    return {int(std::ceil(metrics.horizontalAdvance(m_name) + spacing + metrics.horizontalAdvance(m_version))),
            int(std::ceil(metrics.height())) + 2 * verticalPadding};
}

void PackRow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void PackRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(menuFont());
    const qreal dim = isEnabled() ? (isDown() ? 0.7 : 1) : 0.4;
    QColor primary = OrvaneTheme::textPrimary();
    QColor secondary = m_increasedContrast ? QColor(Qt::white) : OrvaneTheme::textSecondary();
    primary.setAlphaF(float(primary.alphaF() * dim));
    secondary.setAlphaF(float(secondary.alphaF() * dim));
    const QFontMetricsF metrics(menuFont());
    const qreal versionWidth = metrics.horizontalAdvance(m_version);
    const QRectF nameRect(0, 0, std::max<qreal>(0, width() - versionWidth - spacing), height());
    painter.setPen(primary);
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(m_name, Qt::ElideRight, nameRect.width()));
    painter.setPen(secondary);
    painter.drawText(QRectF(width() - versionWidth, 0, versionWidth, height()),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_version);
}

PackMenu::PackMenu(const QList<Entry>& packs, bool offerInstanceChoice, bool increasedContrast, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    installPackMenuAccessibility();
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Packs"));
    setFixedWidth(menuWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);
    for (const Entry& pack : packs) {
        auto* row = new PackRow(pack.id, pack.name, pack.version, increasedContrast, this);
        row->setEnabled(pack.enabled);
        connect(row, &QAbstractButton::clicked, this, [this, id = pack.id] {
            close();
            Q_EMIT packChosen(id);
        });
        layout->addWidget(row);
        m_rows.append(row);
    }
    if (offerInstanceChoice) {
        auto* divider = new TerminalDivider(this);
        layout->addWidget(divider);
        m_chooseInstance = new TextButton(QStringLiteral("Choose instance…"), menuFont(), 0, this);
        m_chooseInstance->setVerticalPadding(8);
        m_chooseInstance->setAlignment(Qt::AlignLeft);
        m_chooseInstance->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        OrvaneKeyboardFocus::attach(m_chooseInstance, menuCornerRadius);
        connect(m_chooseInstance, &QAbstractButton::clicked, this, [this] {
            close();
            Q_EMIT chooseInstanceChosen();
        });
        layout->addWidget(m_chooseInstance);
    }
    QWidget* previous = nullptr;
    for (QWidget* entry : findChildren<QAbstractButton*>()) {
        if (previous)
            setTabOrder(previous, entry);
        previous = entry;
    }
}

void PackMenu::setRowsEnabled(const QList<bool>& enabled)
{
    for (qsizetype i = 0; i < m_rows.size() && i < enabled.size(); ++i)
        m_rows[i]->setEnabled(enabled[i]);
}

void PackMenu::popUp(QWidget* anchor)
{
    m_anchor = anchor;
    adjustSize();
    const QPoint bottomCentre = anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height()));
    QPoint topLeft(bottomCentre.x() - width() / 2, bottomCentre.y() + 6);
    if (const QScreen* screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), available.left(), std::max(available.left(), available.right() - width())));
        if (topLeft.y() + height() > available.bottom())
            topLeft.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height() - 6);
    }
    move(topLeft);
    // Opened from the keyboard, the first row shows its ring at once; opened by a click, it does not.
    const OrvaneKeyboardFocus* anchorRing = OrvaneKeyboardFocus::of(anchor);
    const bool keyboard = anchorRing && anchorRing->ringShown();
    show();
    for (QAbstractButton* entry : findChildren<QAbstractButton*>())
        if (entry->isEnabled()) {
            entry->setFocus(keyboard ? Qt::TabFocusReason : Qt::PopupFocusReason);
            break;
        }
}

void PackMenu::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), OrvaneTheme::background().lighter(260));
    painter.setPen(QPen(OrvaneTheme::hairline(), 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void PackMenu::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Backtab:
        focusNextPrevChild(false);
        return;
    case Qt::Key_Down:
    case Qt::Key_Tab:
        focusNextPrevChild(true);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QAbstractButton*>(focusWidget()); focused && focused->isEnabled())
            focused->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PackMenu::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    announceShown(true);
}

void PackMenu::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    announceShown(false);
    Q_EMIT closed();
}

void PackMenu::announceShown(bool shown)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent menu(this, shown ? QAccessible::PopupMenuStart : QAccessible::PopupMenuEnd);
    QAccessible::updateAccessibility(&menu);
    if (m_anchor) {
        QAccessibleEvent children(m_anchor.data(), QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&children);
    }
}

} // namespace orvane
