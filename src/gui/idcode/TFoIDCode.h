#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <optional>

namespace kb {
class Configurator;
}
class MessagePresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// The ID-code entry window, shown modally: the user types a code in five boxes, OK applies
// it to the main window's Configurator and checks that the configuration it gives encodes
// back to the same code.
class TFoIDCode : public QDialog {
    Q_OBJECT
  public:
    TFoIDCode(kb::Configurator& core, MessagePresenter& presenter, QWidget* parent = nullptr);

    void FormShow();
    void Edit1Change() { MoveOnWhenFull(0); }
    void Edit2Change() { MoveOnWhenFull(1); }
    void Edit3Change() { MoveOnWhenFull(2); }
    void Edit4Change() { MoveOnWhenFull(3); }
    void Edit5Change() { UpdateOkButton(); }
    void UpdateOkButton();
    void BitBtn1Click();

    // "VK72-" and the five boxes joined by dashes.
    QString TypedCode() const;

    // Spreads a pasted whole code over the five boxes; false (nothing changed) for other text.
    bool PasteCode(const QString& text);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void MoveOnWhenFull(std::size_t box);

    kb::Configurator& m_core;
    MessagePresenter& m_presenter;
    std::array<QLineEdit*, 5> m_edits{};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
