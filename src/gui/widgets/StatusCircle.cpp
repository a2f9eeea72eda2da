#include "gui/widgets/StatusCircle.h"

#include <QPainter>

StatusCircle::StatusCircle(QWidget* parent) : QWidget(parent) {}

void StatusCircle::setColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void StatusCircle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_color);
    const int side = std::min(width(), height()) - 2;
    painter.drawEllipse(QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}
