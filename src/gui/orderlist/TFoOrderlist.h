#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>

namespace kb {
class Configurator;
}
class MessagePresenter;
class QFrame;
class QPrinter;
class QPushButton;
class QTableWidget;
namespace kb {
struct OrderList;
}
struct OrderListGeometry;

// The order list window, shown modally after the main window has composed a list into it.
// Print, Save To Disk and Copy to Clipboard all take the list's rich-text copy, never the
// table.
class TFoOrderlist : public QDialog {
    Q_OBJECT
  public:
    // Shows the print dialog for the printer; true when the user chose to print.
    using PrintDialogRunner = std::function<bool(QPrinter& printer, QWidget* parent)>;

    TFoOrderlist(kb::Configurator& core, MessagePresenter& presenter, QWidget* parent = nullptr);
    ~TFoOrderlist() override;

    // Fills Tab1 (its first row becomes the heading), keeps the rich-text and plain-text
    // copies and sizes the window and its controls as the list's geometry says.
    void ShowList(const kb::OrderList& list);

    const std::string& richText() const { return m_rtf; }
    const std::string& plainText() const { return m_plainText; }

    // Tests answer the print dialog without showing it.
    void setPrintDialogRunner(PrintDialogRunner runner) { m_printDialog = std::move(runner); }

    void PrintButtonClick();
    void SaveButtonClick();
    void ClipButtonClick();

  private:
    void buildControls();
    void Place(const OrderListGeometry& geometry);

    kb::Configurator& m_core;
    MessagePresenter& m_presenter;
    PrintDialogRunner m_printDialog;
    // Kept between prints, so the user's choice of printer stays.
    std::unique_ptr<QPrinter> m_printer;
    std::string m_rtf;
    std::string m_plainText;

    QTableWidget* m_table = nullptr;
    QFrame* m_bevel = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_clip = nullptr;
    QPushButton* m_close = nullptr;
};
