#include "gui/orderlist/OrderListGeometry.h"

#include <numeric>

OrderListGeometry ComputeOrderListGeometry(const OrderListDesign& design, int rowCount) {
    OrderListGeometry g;
    g.tableWidth = std::accumulate(design.columnWidths.begin(), design.columnWidths.end(), 0) + 25;
    g.tableHeight = (rowCount - 9) * design.rowHeight + 50;
    g.windowWidth = g.tableWidth + 2 * design.tableLeft + 8;
    g.windowHeight = g.tableHeight + design.buttonHeight + 6 * design.tableTop + 50;
    g.closeLeft = g.windowWidth - design.buttonWidth - 16;
    g.buttonTop = g.windowHeight - design.buttonHeight - 50;
    g.printLeft = design.tableLeft;
    g.saveLeft = design.buttonWidth + 2 * design.tableLeft;
    g.clipLeft = 2 * design.buttonWidth + 3 * design.tableLeft;
    g.frameLeft = design.tableLeft;
    g.frameTop = design.tableTop;
    g.frameWidth = g.tableWidth + 1;
    g.frameHeight = g.tableHeight + 1;
    return g;
}
