#include "gui/recheck/RecheckModel.h"

#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "core/platform/Numbers.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

constexpr std::array<const char*, kRecheckColumnCount> kHeaders{
    "File",     "Verdict", "Company1", "Name1", "Stored Code",
    "Code Now", "Result",  "Status",   "Price", "Currency"};

QString FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return PathToQ(slash == std::string::npos ? path : path.substr(slash + 1));
}

QString VerdictHint(const RecheckedOrder& order) {
    switch (order.verdict) {
    case RecheckVerdict::Valid:
        return QStringLiteral("The check passes and the configuration gives the stored code.");
    case RecheckVerdict::Changed: {
        QString hint = QStringLiteral("The check passes, but the configuration now gives another code.");
        if (!order.unmatched.empty()) {
            QStringList controls;
            for (const std::string& control : order.unmatched)
                controls.append(ToQ(control));
            hint += QStringLiteral("\nNo entry found for the stored code's place of: ") +
                    controls.join(QStringLiteral(", "));
        }
        return hint;
    }
    case RecheckVerdict::Invalid:
        if (!order.codeFailure.empty())
            return ToQ(order.codeFailure);
        return QStringLiteral("The check finds a fault: ") + ToQ(order.statusText);
    case RecheckVerdict::Unreadable:
        return ToQ(order.reason);
    }
    return {};
}

QPixmap Badge(RecheckVerdict verdict, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(VerdictColor(verdict));
    const qreal s = size;
    painter.drawEllipse(QRectF(0.5, 0.5, s - 1, s - 1));
    QPen pen(Qt::white, s / 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    switch (verdict) {
    case RecheckVerdict::Valid: {
        QPainterPath tick;
        tick.moveTo(s * 0.27, s * 0.52);
        tick.lineTo(s * 0.44, s * 0.69);
        tick.lineTo(s * 0.74, s * 0.33);
        painter.drawPath(tick);
        break;
    }
    case RecheckVerdict::Changed:
        // Two arrows turning: the order was changed by the catalogue.
        painter.drawLine(QPointF(s * 0.28, s * 0.38), QPointF(s * 0.72, s * 0.38));
        painter.drawLine(QPointF(s * 0.58, s * 0.25), QPointF(s * 0.72, s * 0.38));
        painter.drawLine(QPointF(s * 0.72, s * 0.62), QPointF(s * 0.28, s * 0.62));
        painter.drawLine(QPointF(s * 0.42, s * 0.75), QPointF(s * 0.28, s * 0.62));
        break;
    case RecheckVerdict::Invalid:
        painter.drawLine(QPointF(s * 0.32, s * 0.32), QPointF(s * 0.68, s * 0.68));
        painter.drawLine(QPointF(s * 0.68, s * 0.32), QPointF(s * 0.32, s * 0.68));
        break;
    case RecheckVerdict::Unreadable:
        painter.drawLine(QPointF(s * 0.5, s * 0.24), QPointF(s * 0.5, s * 0.56));
        painter.drawPoint(QPointF(s * 0.5, s * 0.76));
        break;
    }
    return pixmap;
}

} // namespace

QColor VerdictColor(RecheckVerdict verdict) {
    switch (verdict) {
    case RecheckVerdict::Valid:
        return QColor(0, 128, 0);
    case RecheckVerdict::Changed:
        return QColor(196, 110, 0);
    case RecheckVerdict::Invalid:
        return QColor(204, 0, 0);
    case RecheckVerdict::Unreadable:
        return QColor(110, 110, 110);
    }
    return {};
}

QIcon VerdictIcon(RecheckVerdict verdict) {
    QIcon icon;
    icon.addPixmap(Badge(verdict, 16));
    icon.addPixmap(Badge(verdict, 24));
    return icon;
}

const QIcon& RecheckModel::Icon(RecheckVerdict verdict) const {
    QIcon& icon = m_icons[static_cast<std::size_t>(verdict)];
    if (icon.isNull())
        icon = VerdictIcon(verdict);
    return icon;
}

void RecheckModel::Clear(std::string currency, char decimalSeparator) {
    beginResetModel();
    m_orders.clear();
    m_rows.clear();
    m_currency = std::move(currency);
    m_separator = decimalSeparator;
    endResetModel();
}

void RecheckModel::Append(std::vector<RecheckedOrder> orders) {
    if (orders.empty())
        return;
    const int first = static_cast<int>(m_orders.size());
    beginInsertRows({}, first, first + static_cast<int>(orders.size()) - 1);
    for (RecheckedOrder& order : orders) {
        Row row;
        const auto fields = RecheckFields(order, m_currency);
        for (std::size_t c = 0; c < fields.size(); ++c)
            row.text[c] = ToQ(fields[c]);
        row.text[Column::File] = FileNameOf(order.file);
        if (const auto price = numbers::ParseDecimal(order.price, m_separator)) {
            row.price = *price;
            row.hasPrice = true;
        }
        m_rows.push_back(std::move(row));
        m_orders.push_back(std::move(order));
    }
    endInsertRows();
}

std::vector<std::string> RecheckModel::Fields(int row) const {
    const auto fields = RecheckFields(order(row), m_currency);
    return {fields.begin(), fields.end()};
}

int RecheckModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RecheckModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RecheckModel::SortKey(const Row& row, const RecheckedOrder& order, int column) const {
    switch (column) {
    case Column::Verdict:
        return static_cast<int>(order.verdict);
    case Column::Result:
        return order.result ? static_cast<int>(*order.result) : -1;
    case Column::Price:
        // Orders without a price sort before every price.
        return row.hasPrice ? row.price : -1e300;
    default:
        return row.text[static_cast<std::size_t>(column)].toCaseFolded();
    }
}

QVariant RecheckModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const RecheckedOrder& order = m_orders[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return row.text[static_cast<std::size_t>(column)];
    case SortRole:
        return SortKey(row, order, column);
    case Qt::ToolTipRole:
        if (column == Column::File)
            return PathToQ(order.file);
        if (column == Column::Verdict)
            return VerdictHint(order);
        // The status is often wider than its column; a missing code says why.
        if (column == Column::Status && !row.text[Column::Status].isEmpty())
            return row.text[Column::Status];
        if (column == Column::CodeNow && order.codeNow.empty() && !order.codeFailure.empty())
            return ToQ(order.codeFailure);
        return {};
    case Qt::ForegroundRole:
        if (column == Column::Verdict)
            return QBrush(VerdictColor(order.verdict));
        return {};
    case Qt::DecorationRole:
        if (column == Column::Verdict)
            return Icon(order.verdict);
        return {};
    case Qt::TextAlignmentRole:
        if (column == Column::Price || column == Column::Result)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant RecheckModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kHeaders[static_cast<std::size_t>(section)]);
}
