#include "gui/widgets/EntryComboBox.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFontDatabase>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <optional>

namespace {

// The narrow faces of the window's font where one is installed.
std::optional<QFont> NarrowFace(const QFont& font) {
    // Asked once: the list of installed families does not change while the program runs.
    static const QStringList installed = [] {
        const QStringList families = QFontDatabase::families();
        QStringList found;
        for (const QString& name : {QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")})
            if (families.contains(name, Qt::CaseInsensitive))
                found.append(name);
        return found;
    }();
    if (installed.isEmpty())
        return std::nullopt;
    QFont narrow = font;
    narrow.setFamilies(installed);
    return narrow;
}

// Keeps the place of a mark's icon in front of every entry of the open list, marked or not,
// as large as the box's icons.
class MarkPlaceDelegate : public QStyledItemDelegate {
  public:
    explicit MarkPlaceDelegate(QComboBox* box) : QStyledItemDelegate(box), m_box(box) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // One size for all: an icon smaller than the place would otherwise shrink it.
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = m_box->iconSize();
    }

  private:
    QComboBox* m_box;
};

} // namespace

QString DistinctElidedText(const QStringList& items, int index, int width,
                           const std::function<int(const QString&)>& advance) {
    const QString text = items.value(index);
    if (advance(text) <= width)
        return text;
    const QString dots(QChar(0x2026));
    const auto alsoMatches = [&](const QString& head, const QString& tail) {
        for (qsizetype i = 0; i < items.size(); ++i) {
            const QString& other = items[i];
            if (i != index && other.size() >= head.size() + tail.size() && other.startsWith(head) &&
                other.endsWith(tail))
                return true;
        }
        return false;
    };
    // Cut at the end first, as everyone reads a cut entry; then keep more and more of the end
    // until no other entry begins and ends the same way.
    QString rightCut;
    for (qsizetype tailLength = 0; tailLength < text.size(); ++tailLength) {
        const QString tail = text.right(tailLength);
        const int room = width - advance(dots + tail);
        if (room < 0)
            break;
        qsizetype low = 0;
        qsizetype high = text.size() - tailLength;
        while (low < high) {
            const qsizetype middle = (low + high + 1) / 2;
            if (advance(text.left(middle)) <= room)
                low = middle;
            else
                high = middle - 1;
        }
        if (low + tailLength >= text.size())
            continue;
        const QString head = text.left(low);
        if (rightCut.isEmpty())
            rightCut = head + dots + tail;
        if (!alsoMatches(head, tail))
            return head + dots + tail;
    }
    // Too narrow for both ends: the first stretch of the middle that no other entry holds.
    const int middleRoom = width - 2 * advance(dots);
    for (qsizetype start = 1; middleRoom > 0 && start < text.size(); ++start) {
        qsizetype length = 0;
        while (start + length < text.size() && advance(text.mid(start, length + 1)) <= middleRoom)
            ++length;
        const QString middle = text.mid(start, length);
        if (length == 0 || start + length >= text.size())
            break;
        const bool unique = std::none_of(items.begin(), items.end(), [&](const QString& other) {
            return &other != &items[index] && other.contains(middle);
        });
        if (unique)
            return dots + middle + dots;
    }
    return rightCut.isEmpty() ? dots : rightCut;
}

EntryComboBox::EntryComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new MarkPlaceDelegate(this));
}

void EntryComboBox::showPopup() {
    // Measured as it opens: asking earlier would build the popups of all fifteen boxes at start-up.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    // The open list is announced with what the box is for.
    view()->setAccessibleName(accessibleDescription());
    QComboBox::showPopup();
}

QStringList EntryComboBox::Items() const {
    QStringList items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

EntryComboBox::Shown EntryComboBox::ShownFor(const QStyleOptionComboBox& option) const {
    if (isEditable())
        return {option.currentText, false};
    // The style draws the label into the edit field less a pixel on each side.
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int width = field.width() - 2;
    const QFontMetrics usual = fontMetrics();
    if (usual.horizontalAdvance(option.currentText) <= width)
        return {option.currentText, false};
    const std::optional<QFont> narrow = NarrowFace(font());
    const QFontMetrics metrics = narrow ? QFontMetrics(*narrow) : usual;
    const QString shown = DistinctElidedText(
        Items(), currentIndex(), width, [&](const QString& text) { return metrics.horizontalAdvance(text); });
    return {shown, narrow.has_value()};
}

QString EntryComboBox::shownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return ShownFor(option).text;
}

bool EntryComboBox::shownNarrow() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return ShownFor(option).narrow;
}

void EntryComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The shown entry is never marked; an icon left from before the marks follow would only
    // push the text aside.
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const Shown shown = ShownFor(option);
    if (shown.narrow)
        painter.setFont(*NarrowFace(font()));
    option.currentText = shown.text;
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool EntryComboBox::event(QEvent* event) {
    // The tooltip is decided as it is asked for: the entry is set with signals blocked.
    if (event->type() == QEvent::ToolTip) {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        setToolTip(ShownFor(option).text == option.currentText ? QString() : option.currentText);
    }
    return QComboBox::event(event);
}
