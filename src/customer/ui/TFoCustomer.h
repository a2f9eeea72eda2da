#pragma once

#include <QDialog>

// The customer data window, created once at start and shown modally.
class TFoCustomer : public QDialog {
    Q_OBJECT
  public:
    explicit TFoCustomer(QWidget* parent = nullptr);
};

extern TFoCustomer* FoCustomer;
