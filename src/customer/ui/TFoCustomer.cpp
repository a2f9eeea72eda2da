#include "customer/ui/TFoCustomer.h"

TFoCustomer* FoCustomer = nullptr;

TFoCustomer::TFoCustomer(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FoCustomer"));
    setWindowTitle(QStringLiteral("Customer Data"));
    setModal(true);
    setFixedSize(434, 425);
}
