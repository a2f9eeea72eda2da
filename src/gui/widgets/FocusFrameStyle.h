#pragma once

#include <QProxyStyle>

// The desktop's style with a focus frame that stands out on light and dark palettes alike:
// a solid line in the highlight colour where the style would draw a faint tint around a radio
// button's, a check box's or a table cell's text.
class FocusFrameStyle : public QProxyStyle {
    Q_OBJECT
  public:
    // Wraps the style of the given name, as QStyleFactory knows it.
    explicit FocusFrameStyle(const QString& baseStyle);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
