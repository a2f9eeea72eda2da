#include "idcode/ui/TFoIDCode.h"

TFoIDCode* FoIDCode = nullptr;

TFoIDCode::TFoIDCode(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FoIDCode"));
    setWindowTitle(QStringLiteral("ID-Code"));
    setModal(true);
    setFixedSize(464, 224);
}
