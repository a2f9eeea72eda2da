#pragma once

#include <QDialog>

namespace kb {
class Configurator;
}
class QLabel;

// The About box, shown modally. Its labels are filled from the loaded catalogue each time
// it is shown.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // Without a catalogue it is taken as unknown and without prices.
    explicit TAboutBox(const kb::Configurator* core = nullptr, QWidget* parent = nullptr);

    void FormActivate();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    const kb::Configurator* m_core;
    QLabel* m_productName;
    QLabel* m_version;
    QLabel* m_comments;
    QLabel* m_notice;
};
