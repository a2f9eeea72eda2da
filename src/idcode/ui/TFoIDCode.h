#pragma once

#include <QDialog>

// The ID-code entry window, created once at start and shown modally.
class TFoIDCode : public QDialog {
    Q_OBJECT
  public:
    explicit TFoIDCode(QWidget* parent = nullptr);
};

extern TFoIDCode* FoIDCode;
