#include "dialogs/ui/TNewVersionBox.h"

TNewVersionBox* NewVersionBox = nullptr;

TNewVersionBox::TNewVersionBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("NewVersionBox"));
    setWindowTitle(QStringLiteral("New in this version ..."));
    setModal(true);
    setFixedSize(669, 300);
}
