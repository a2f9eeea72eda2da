#pragma once

#include <QColor>
#include <QWidget>

// The filled circle of the status area.
class StatusCircle : public QWidget {
    Q_OBJECT
  public:
    explicit StatusCircle(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor m_color = Qt::white;
};
