#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/config/Choice.h"
#include "core/customer/CustomerRecord.h"
#include "core/platform/Result.h"

namespace kb {

struct OrderListInput {
    Choice choice;
    const CatalogueSnapshot& catalogue;
    bool pricesShown = false;
    CustomerRecord customer;
};

using OrderListRow = std::array<std::string, 5>;

struct OrderList {
    std::vector<OrderListRow> rows; // 37 rows, more when the price date needs them
    std::string code;               // "VK72-" and the 27-character code
    std::string rtf;                // the rich-text copy

    // The plain-text copy: one line per row, every cell followed by a tab.
    std::string PlainText() const;
};

inline constexpr int kOrderListRows = 37;

// Fails with a message naming the group or part that kept the list from being made.
Result<OrderList> ComposeOrderList(const OrderListInput& input);

} // namespace kb
