#pragma once

#include <array>

#include "app/ui/DeferredDialog.h"
#include "customer/CustomerRecord.h"

class Configurator;
class MessagePresenter;
class QLineEdit;
class QPushButton;

// The customer data window, created once at start and shown modally. Its boxes are filled
// by the main window before each opening; OK stores them in the main window's Configurator.
// Its controls are built at the first show or fill (see DeferredDialog).
class TFoCustomer : public DeferredDialog {
    Q_OBJECT
  public:
    TFoCustomer(Configurator& core, MessagePresenter& presenter, QWidget* parent = nullptr);

    // The eight boxes from the record's fields (its Code is not shown).
    void SetFields(const CustomerRecord& record);
    // The eight boxes as a record with an empty Code.
    CustomerRecord Fields() const;

    void BtnSaveFieldsClick();
    void BtnClearFieldsClick();

    void setVisible(bool visible) override;

  protected:
    void buildControls() override;
    void showEvent(QShowEvent* event) override;

  private:
    Configurator& m_core;
    MessagePresenter& m_presenter;
    // EdCompany1 ... EdIdent2, in the order of the record's fields.
    std::array<QLineEdit*, CustomerRecord::Code> m_edits{};
    QPushButton* m_save = nullptr;
    QPushButton* m_clear = nullptr;
};
