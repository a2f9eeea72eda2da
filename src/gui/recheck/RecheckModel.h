#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "core/customer/Recheck.h"

// The rows of a recheck: one per order, the columns of the command-line companion. The
// verdict shows as coloured text with an icon; every column sorts by its own kind of value.
class RecheckModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Scoped, so the columns named Verdict and Result do not hide the core's types of those names.
    struct Column {
        enum : int { File, Verdict, Company1, Name1, StoredCode, CodeNow, Result, Status, Price, Currency };
    };
    static constexpr int kColumnCount = static_cast<int>(kb::kRecheckColumnCount);
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // Empties the table for a run whose prices use this currency and decimal separator.
    void Clear(std::string currency, char decimalSeparator);
    void Append(std::vector<kb::RecheckedOrder> orders);

    const std::vector<kb::RecheckedOrder>& orders() const { return m_orders; }
    const kb::RecheckedOrder& order(int row) const { return m_orders[static_cast<std::size_t>(row)]; }
    // The row's columns as the companion prints them (FILE with its folder).
    std::vector<std::string> Fields(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    struct Row {
        std::array<QString, kb::kRecheckColumnCount> text;
        double price = 0.0;
        bool hasPrice = false;
    };
    QVariant SortKey(const Row& row, const kb::RecheckedOrder& order, int column) const;
    const QIcon& Icon(kb::RecheckVerdict verdict) const;

    std::vector<kb::RecheckedOrder> m_orders;
    std::vector<Row> m_rows;
    std::string m_currency;
    char m_separator = ',';
    // Drawn once per model, at the first row that shows the verdict: a static cache would
    // outlive the application and free its pixmaps after the window system is gone.
    mutable std::array<QIcon, 4> m_icons;
};

// A small coloured badge for each verdict, so that it does not rest on colour alone; drawn
// afresh on each call.
QIcon VerdictIcon(kb::RecheckVerdict verdict);
QColor VerdictColor(kb::RecheckVerdict verdict);
