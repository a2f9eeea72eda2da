#pragma once

#include <array>

// Sizes of the order-list window as designed, in pixels.
struct OrderListDesign {
    std::array<int, 5> columnWidths{100, 100, 220, 100, 37};
    int rowHeight = 18;
    int tableLeft = 10;
    int tableTop = 10;
    int buttonWidth = 123;
    int buttonHeight = 50;
};

struct OrderListGeometry {
    int windowWidth = 0;
    int windowHeight = 0;
    int tableWidth = 0;
    int tableHeight = 0;
    int buttonTop = 0;
    int printLeft = 0;
    int saveLeft = 0;
    int clipLeft = 0;
    int closeLeft = 0;
    // The raised frame around the table.
    int frameLeft = 0;
    int frameTop = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

// Window and table sizes for a table of rowCount rows.
OrderListGeometry ComputeOrderListGeometry(const OrderListDesign& design, int rowCount);
