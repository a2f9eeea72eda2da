#include "orderlist/ui/TFoOrderlist.h"

#include "orderlist/OrderList.h"

TFoOrderlist* FoOrderlist = nullptr;

TFoOrderlist::TFoOrderlist(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FoOrderlist"));
    setWindowTitle(QStringLiteral("Orderlist"));
    setModal(true);
    const OrderListGeometry geometry = ComputeOrderListGeometry(OrderListDesign{}, kOrderListRows);
    setFixedSize(geometry.windowWidth, geometry.windowHeight);
}
