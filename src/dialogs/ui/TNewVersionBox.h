#pragma once

#include <QDialog>

// The release notes ("New in this version") window, created once at start and shown modally.
class TNewVersionBox : public QDialog {
    Q_OBJECT
  public:
    explicit TNewVersionBox(QWidget* parent = nullptr);
};

extern TNewVersionBox* NewVersionBox;
