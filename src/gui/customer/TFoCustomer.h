#pragma once

#include <array>

#include "core/customer/CustomerRecord.h"
#include <QDialog>

namespace kb {
class Configurator;
}
class MessagePresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// The customer data window, shown modally. Its boxes are filled by the main window before
// each opening; OK stores them in the main window's Configurator.
class TFoCustomer : public QDialog {
    Q_OBJECT
  public:
    TFoCustomer(kb::Configurator& core, MessagePresenter& presenter, QWidget* parent = nullptr);

    // The eight boxes from the record's fields (its Code is not shown).
    void SetFields(const kb::CustomerRecord& record);
    // The eight boxes as a record with an empty Code.
    kb::CustomerRecord Fields() const;

    void BtnSaveFieldsClick();
    void BtnClearFieldsClick();

    void setVisible(bool visible) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void ShowCutNotice(QLineEdit* edit);

    kb::Configurator& m_core;
    MessagePresenter& m_presenter;
    // EdCompany1 ... EdIdent2, in the order of the record's fields.
    std::array<QLineEdit*, kb::CustomerRecord::Code> m_edits{};
    // Says which box cut a text that was too long.
    QLabel* m_notice = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_clear = nullptr;
};
