#include "gui/widgets/SummaryBox.h"

#include <QAccessibleWidget>

namespace {

class AccessibleSummary : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit AccessibleSummary(SummaryBox* box) : QAccessibleWidget(box, box->accessibleRole()) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The circle and the labels inside are what the text says; read once, not piece by piece.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override {
        const SummaryBox* summaryBox = box();
        if (summaryBox && kind == QAccessible::Name) {
            const QString name = summaryBox->accessibleName();
            return name.isEmpty() ? summaryBox->title() : name;
        }
        if (kind == QAccessible::Value)
            return Summary();
        return QAccessibleWidget::text(kind);
    }

    QString text(int start, int end) const override { return Summary().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Summary().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    // Null once the box is being destroyed, when the bridge may still ask.
    const SummaryBox* box() const { return qobject_cast<const SummaryBox*>(object()); }
    QString Summary() const { return box() ? box()->summary() : QString(); }
};

QAccessibleInterface* SummaryFactory(const QString& className, QObject* object) {
    if (auto* box = className == QLatin1String("SummaryBox") ? qobject_cast<SummaryBox*>(object) : nullptr)
        return new AccessibleSummary(box);
    return nullptr;
}

} // namespace

SummaryBox::SummaryBox(const QString& title, QAccessible::Role role, QWidget* parent)
    : QGroupBox(title, parent), m_role(role) {
    static const bool installed = (QAccessible::installFactory(&SummaryFactory), true);
    Q_UNUSED(installed);
}

void SummaryBox::setSummary(const QString& summary) {
    if (summary == m_summary)
        return;
    const QString before = m_summary;
    m_summary = summary;
    QAccessibleTextUpdateEvent event(this, 0, before, summary);
    QAccessible::updateAccessibility(&event);
}
