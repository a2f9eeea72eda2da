#pragma once

#include <QDialog>

class Configurator;
class QLabel;

// The About box, created once at start and shown modally. Its labels are filled from the
// main window's Configurator each time it is shown.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // Without a Configurator the catalogue is taken as unknown and without prices.
    explicit TAboutBox(const Configurator* core = nullptr, QWidget* parent = nullptr);

    void FormActivate();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    const Configurator* m_core;
    QLabel* m_productName;
    QLabel* m_version;
    QLabel* m_comments;
    QLabel* m_notice;
};
