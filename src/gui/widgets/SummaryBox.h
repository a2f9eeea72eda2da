#pragma once

#include <QAccessible>
#include <QGroupBox>

// A group box that a screen reader meets as one object: named by its title, with one line of
// text standing for everything the box shows, and without the box's own children. A change
// of that text is announced once.
class SummaryBox : public QGroupBox {
    Q_OBJECT
  public:
    SummaryBox(const QString& title, QAccessible::Role role, QWidget* parent = nullptr);

    QString summary() const { return m_summary; }
    // Sends one text-changed event when the text differs from the one before.
    void setSummary(const QString& summary);
    QAccessible::Role accessibleRole() const { return m_role; }

  private:
    QAccessible::Role m_role;
    QString m_summary;
};
