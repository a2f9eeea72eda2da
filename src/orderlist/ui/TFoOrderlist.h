#pragma once

#include <QDialog>

// The order list window, created once at start and shown modally.
class TFoOrderlist : public QDialog {
    Q_OBJECT
  public:
    explicit TFoOrderlist(QWidget* parent = nullptr);
};

extern TFoOrderlist* FoOrderlist;
