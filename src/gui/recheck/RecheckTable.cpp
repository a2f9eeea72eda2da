#include "gui/recheck/RecheckTable.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QTableView>
#include <QToolTip>
#include <algorithm>
#include <climits>

namespace {

struct Piece {
    QString text;
    bool bold = false;
};

struct Pieces {
    std::vector<Piece> pieces;
    int width = 0;

    QString Text() const {
        QString text;
        for (const Piece& piece : pieces)
            text += piece.text;
        return text;
    }
};

QChar Capital(QChar c) {
    return c >= QLatin1Char('a') && c <= QLatin1Char('z') ? QChar(c.unicode() - 'a' + 'A') : c;
}

// Runs of equal marking from the characters [from, to) of the code.
void AddRuns(Pieces& out, const QString& code, const QList<bool>& marks, qsizetype from, qsizetype to,
             const QFontMetrics& usual, const QFontMetrics& bold) {
    qsizetype start = from;
    while (start < to) {
        qsizetype end = start + 1;
        while (end < to && marks[end] == marks[start])
            ++end;
        Piece piece{code.mid(start, end - start), marks[start]};
        out.width += (piece.bold ? bold : usual).horizontalAdvance(piece.text);
        out.pieces.push_back(std::move(piece));
        start = end;
    }
}

// The code whole when it fits, else as many of its first and last characters as fit
// around an ellipsis: both ends of a code tell which order it is.
Pieces LayOut(const QString& code, const QList<bool>& marks, int width, const QFont& font) {
    QFont boldFont = font;
    boldFont.setBold(true);
    const QFontMetrics usual(font);
    const QFontMetrics bold(boldFont);
    Pieces whole;
    AddRuns(whole, code, marks, 0, code.size(), usual, bold);
    if (whole.width <= width)
        return whole;
    const QString dots(QChar(0x2026));
    for (qsizetype keep = code.size() - 1; keep > 0; --keep) {
        const qsizetype head = (keep + 1) / 2;
        Pieces cut;
        AddRuns(cut, code, marks, 0, head, usual, bold);
        cut.pieces.push_back({dots, false});
        cut.width += usual.horizontalAdvance(dots);
        AddRuns(cut, code, marks, code.size() - (keep - head), code.size(), usual, bold);
        if (cut.width <= width)
            return cut;
    }
    return {{{dots, false}}, usual.horizontalAdvance(dots)};
}

int TextMargin(const QWidget* widget) {
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

QRect TextRect(const QStyleOptionViewItem& option) {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int margin = TextMargin(option.widget);
    return style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget)
        .adjusted(margin, 0, -margin, 0);
}

} // namespace

QList<bool> DifferingPlaces(const QString& code, const QString& other) {
    QList<bool> marks(code.size(), false);
    if (code.isEmpty() || other.isEmpty())
        return marks;
    for (qsizetype i = 0; i < code.size(); ++i)
        marks[i] = i >= other.size() || Capital(code[i]) != Capital(other[i]);
    return marks;
}

RecheckDelegate::RecheckDelegate(int storedColumn, int nowColumn, QObject* parent)
    : QStyledItemDelegate(parent), m_stored(storedColumn), m_now(nowColumn) {}

bool RecheckDelegate::IsCode(const QModelIndex& index) const {
    return index.column() == m_stored || index.column() == m_now;
}

QString RecheckDelegate::OtherCode(const QModelIndex& index) const {
    return index.siblingAtColumn(index.column() == m_stored ? m_now : m_stored).data().toString();
}

int RecheckDelegate::CodeWidth(const QWidget* view, const QString& code, const QString& other) {
    const QFont font = view ? view->font() : QApplication::font();
    const Pieces whole = LayOut(code, DifferingPlaces(code, other), INT_MAX, font);
    // The text's margins on both sides, and the grid line.
    return whole.width + 2 * TextMargin(view) + 2;
}

QString RecheckDelegate::ShownText(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QRect rect = TextRect(item);
    if (IsCode(index))
        return LayOut(item.text, DifferingPlaces(item.text, OtherCode(index)), rect.width(), item.font)
            .Text();
    return item.fontMetrics.elidedText(item.text, item.textElideMode, rect.width());
}

void RecheckDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (!IsCode(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString code = item.text;
    const QRect rect = TextRect(item);
    // The style draws the cell (background, selection, focus); the text is drawn here in runs.
    item.text.clear();
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const Pieces shown = LayOut(code, DifferingPlaces(code, OtherCode(index)), rect.width(), item.font);
    const QPalette::ColorGroup group =
        item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QPalette::ColorRole role =
        item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setClipRect(rect);
    painter->setPen(item.palette.color(group, role));
    QFont bold = item.font;
    bold.setBold(true);
    int x = rect.left();
    for (const Piece& piece : shown.pieces) {
        const QFont& font = piece.bold ? bold : item.font;
        painter->setFont(font);
        const int width = QFontMetrics(font).horizontalAdvance(piece.text);
        painter->drawText(QRect(x, rect.top(), width + 1, rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          piece.text);
        x += width;
    }
    painter->restore();
}

QSize RecheckDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (IsCode(index))
        size.setWidth(CodeWidth(option.widget, index.data().toString(), OtherCode(index)));
    return size;
}

bool RecheckDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event && event->type() == QEvent::ToolTip && index.isValid() &&
        index.data(Qt::ToolTipRole).toString().isEmpty()) {
        const QString text = index.data().toString();
        if (!text.isEmpty() && ShownText(option, index) != text) {
            QToolTip::showText(event->globalPos(), text, view, option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void WidenCodeColumns(QTableView* view, const QAbstractItemModel* model, int first, int last,
                      int storedColumn, int nowColumn) {
    int stored = view->columnWidth(storedColumn);
    int now = view->columnWidth(nowColumn);
    for (int row = first; row <= last; ++row) {
        const QString storedCode = model->index(row, storedColumn).data().toString();
        const QString codeNow = model->index(row, nowColumn).data().toString();
        stored = std::max(stored, RecheckDelegate::CodeWidth(view, storedCode, codeNow));
        now = std::max(now, RecheckDelegate::CodeWidth(view, codeNow, storedCode));
    }
    if (stored != view->columnWidth(storedColumn))
        view->setColumnWidth(storedColumn, stored);
    if (now != view->columnWidth(nowColumn))
        view->setColumnWidth(nowColumn, now);
}

std::vector<int> FittedColumnWidths(const std::vector<int>& widths, const std::vector<bool>& flexible,
                                    int tableWidth, int floor) {
    int fixed = 0;
    int wanted = 0;
    for (std::size_t c = 0; c < widths.size(); ++c)
        (flexible[c] ? wanted : fixed) += widths[c];
    std::vector<int> fitted = widths;
    const int room = tableWidth - fixed;
    if (wanted <= room || wanted == 0)
        return fitted;
    for (std::size_t c = 0; c < widths.size(); ++c)
        if (flexible[c])
            fitted[c] = std::max(
                floor, static_cast<int>(static_cast<long long>(widths[c]) * std::max(room, 0) / wanted));
    return fitted;
}

QRect FittedGeometry(QSize wanted, QRect available, QMargins frame) {
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize size = wanted.boundedTo(room).expandedTo(QSize(1, 1));
    const QPoint topLeft(available.left() + frame.left() + (room.width() - size.width()) / 2,
                         available.top() + frame.top() + (room.height() - size.height()) / 2);
    return {topLeft, size};
}
