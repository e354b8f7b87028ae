#include "pinfigurewidget.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace IPCore {

namespace {

constexpr int kMargin = 10;
constexpr int kPinLength = 34;
constexpr int kTextInset = 8;
constexpr int kArrow = 6;

QColor directionColor(int direction)
{
    switch (direction) {
    case 0:
        return QColor(0x1f, 0x5f, 0xa8);
    case 1:
        return QColor(0x2e, 0x7d, 0x32);
    default:
        return QColor(0x8e, 0x3b, 0xb5);
    }
}

QFont titleFont(const QFont &base)
{
    QFont font = base;
    font.setBold(true);
    return font;
}

QFont legendFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

// Filled arrow head with its tip at `tip`, pointing along `dx` (+1 right, -1 left).
void drawArrowHead(QPainter &painter, QPointF tip, int dx)
{
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() - dx * kArrow * 1.4, tip.y() - kArrow * 0.7);
    head.lineTo(tip.x() - dx * kArrow * 1.4, tip.y() + kArrow * 0.7);
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
}

struct LegendEntry
{
    int direction; // -1: the bus mark
    const char *text;
};
constexpr LegendEntry kLegend[] = {{0, "input"}, {1, "output"}, {2, "inout"}, {-1, "bus"}};
constexpr int kLegendSample = 18;
constexpr int kLegendGap = 5;
constexpr int kLegendSpacing = 12;

} // namespace

struct PinFigureWidget::Layout
{
    QList<Utils::PinFigure> left;
    QList<Utils::PinFigure> right;
    int rowHeight = 0;
    int titleHeight = 0;
    int legendHeight = 0;
    QRect box;
    QSize size;
};

PinFigureWidget::PinFigureWidget(QWidget *parent) : QWidget(parent)
{
    // Never narrower than natural, so names stay readable beside wide pages.
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Expanding);
}

void PinFigureWidget::setPins(const QList<Utils::PinFigure> &pins)
{
    m_pins = pins;
    updateGeometry();
    update();
}

void PinFigureWidget::setTitle(const QString &title)
{
    m_title = title;
    updateGeometry();
    update();
}

PinFigureWidget::Layout PinFigureWidget::layout() const
{
    Layout l;
    const QFontMetrics text(font());
    const QFontMetrics heading(titleFont(font()));
    int leftWidth = 0;
    int rightWidth = 0;
    for (const Utils::PinFigure &pin : m_pins) {
        const int width = text.horizontalAdvance(pin.name());
        if (pin.side() == Qt::AlignLeft) {
            l.left.append(pin);
            leftWidth = std::max(leftWidth, width);
        } else {
            l.right.append(pin);
            rightWidth = std::max(rightWidth, width);
        }
    }
    l.rowHeight = text.height() + 5;
    l.titleHeight = heading.height() + 14;
    const QFontMetrics legend(legendFont(font()));
    l.legendHeight = legend.height() + 12;
    int legendWidth = 0;
    for (const LegendEntry &entry : kLegend)
        legendWidth +=
            kLegendSample + kLegendGap + legend.horizontalAdvance(entry.text) + kLegendSpacing;
    const int rows = std::max({int(l.left.size()), int(l.right.size()), 4});
    const int boxWidth = std::max({leftWidth + rightWidth + 2 * kTextInset + 3 * text.height(),
                                   heading.horizontalAdvance(m_title) + 4 * kTextInset,
                                   legendWidth - 2 * kPinLength});
    l.box = QRect(kMargin + kPinLength, kMargin, boxWidth, l.titleHeight + rows * l.rowHeight + 8);
    l.size = QSize(l.box.right() + kPinLength + kMargin, l.box.bottom() + l.legendHeight + kMargin);
    return l;
}

QSize PinFigureWidget::sizeHint() const
{
    return layout().size;
}

QSize PinFigureWidget::minimumSizeHint() const
{
    return QSize(160, 160);
}

void PinFigureWidget::paintEvent(QPaintEvent *)
{
    const Layout l = layout();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());

    // Never larger than natural, so the text keeps its size; shrunk to fit in a small widget.
    const qreal scale =
        std::min({1.0, qreal(width()) / l.size.width(), qreal(height()) / l.size.height()});
    painter.translate((width() - l.size.width() * scale) / 2,
                      (height() - l.size.height() * scale) / 2);
    painter.scale(scale, scale);

    painter.setPen(QPen(palette().color(QPalette::Text), 1.5));
    painter.setBrush(QColor(0xf3, 0xf6, 0xfb));
    painter.drawRoundedRect(l.box, 4, 4);
    painter.setFont(titleFont(font()));
    painter.drawText(QRect(l.box.left(), l.box.top(), l.box.width(), l.titleHeight),
                     Qt::AlignCenter, m_title);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawLine(l.box.left() + 1, l.box.top() + l.titleHeight, l.box.right() - 1,
                     l.box.top() + l.titleHeight);

    painter.setFont(font());
    const auto drawSide = [&](const QList<Utils::PinFigure> &pins, bool leftSide) {
        const int edge = leftSide ? l.box.left() : l.box.right();
        const int outward = leftSide ? -1 : 1;
        const int outer = edge + outward * kPinLength;
        for (int i = 0; i < pins.size(); ++i) {
            const Utils::PinFigure &pin = pins.at(i);
            const qreal y = l.box.top() + l.titleHeight + 4 + (i + 0.5) * l.rowHeight;
            const QColor color = directionColor(pin.direction());
            painter.setPen(QPen(color, pin.isBus() ? 3.0 : 1.4, Qt::SolidLine, Qt::FlatCap));
            const int tipInset = kArrow + 1;
            const bool arrowIn = pin.direction() != 1;
            const bool arrowOut = pin.direction() != 0;
            painter.drawLine(QPointF(outer, y), QPointF(edge, y));
            if (arrowIn)
                drawArrowHead(painter, QPointF(edge, y), -outward);
            if (arrowOut)
                drawArrowHead(painter, QPointF(outer, y), outward);
            if (pin.isBus()) {
                const qreal x =
                    (edge + outer) / 2.0 + outward * (arrowOut ? -tipInset : tipInset) / 2.0;
                painter.setPen(QPen(color, 1.2));
                painter.drawLine(QPointF(x - 3, y + 5), QPointF(x + 3, y - 5));
            }
            painter.setPen(palette().color(QPalette::Text));
            const QRectF textRect(l.box.left() + kTextInset, y - l.rowHeight / 2.0,
                                  l.box.width() - 2 * kTextInset, l.rowHeight);
            painter.drawText(textRect,
                             Qt::AlignVCenter | (leftSide ? Qt::AlignLeft : Qt::AlignRight),
                             pin.name());
        }
    };
    drawSide(l.left, true);
    drawSide(l.right, false);

    // Legend: one sample per direction, then the bus mark.
    painter.setFont(legendFont(font()));
    const QFontMetrics legend(painter.font());
    qreal x = l.box.left() - kPinLength;
    const qreal y = l.box.bottom() + l.legendHeight / 2.0 + 2;
    for (const LegendEntry &entry : kLegend) {
        const QPointF start(x, y);
        const QPointF end(x + kLegendSample, y);
        if (entry.direction < 0) {
            painter.setPen(QPen(palette().color(QPalette::Text), 3.0, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(start, end);
            painter.setPen(QPen(palette().color(QPalette::Text), 1.2));
            painter.drawLine(QPointF(x + 6, y + 5), QPointF(x + 12, y - 5));
        } else {
            painter.setPen(QPen(directionColor(entry.direction), 1.4));
            painter.drawLine(start, end);
            drawArrowHead(painter, end, 1);
            if (entry.direction == 2)
                drawArrowHead(painter, start, -1);
        }
        painter.setPen(palette().color(QPalette::Text));
        const QString text = QString::fromLatin1(entry.text);
        x += kLegendSample + kLegendGap;
        painter.drawText(QPointF(x, y + legend.ascent() / 2.0 - 1), text);
        x += legend.horizontalAdvance(text) + kLegendSpacing;
    }
}

} // namespace IPCore
