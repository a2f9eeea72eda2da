#pragma once

#include <QFutureWatcher>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "core/session/CatalogueComparison.h"

class MessagePresenter;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextBrowser;
namespace kb {
class Configurator;
}

// What a comparison running off the window's thread reports: how far the rechecks are, and
// with the last report the outcome.
struct CompareStep {
    std::size_t done = 0;
    std::size_t total = 0;
    std::optional<kb::Result<kb::CatalogueComparison>> outcome;
};

// "Compare Catalogues": what a new catalogue release changes against another (by default the
// one the program runs on), and which saved orders of a folder it touches; the report shown
// as the HTML page the companion writes, saved as HTML or copied. Not modal.
class TFoCompare : public QWidget {
    Q_OBJECT
  public:
    // Asks for a folder or a catalogue file, starting at the given path; empty on Cancel.
    using Chooser = std::function<QString(QWidget* parent, const QString& start)>;

    TFoCompare(kb::Configurator& core, MessagePresenter& presenter, QWidget* parent = nullptr);
    ~TFoCompare() override;

    // Shows the window; a fresh opening proposes the program's own catalogue as the old one.
    void Open();
    void setFolderChooser(Chooser chooser) { m_chooseFolder = std::move(chooser); }
    void setCatalogueChooser(Chooser chooser) { m_chooseCatalogue = std::move(chooser); }

    void setFiles(const QString& oldCatalogue, const QString& newCatalogue, const QString& orders);
    bool running() const { return m_watcher != nullptr; }
    // The last finished comparison, if any.
    const std::optional<kb::CatalogueComparison>& comparison() const { return m_comparison; }

    void BtnCompareClick();
    void BtnCancelClick();
    void BtnSaveHtmlClick();
    void BtnCopyClick();

  signals:
    // A comparison ended: shown, failed or cancelled.
    void compareEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLineEdit* FileRow(QGridLayout* grid, const char* name, const QString& caption, const QString& hint,
                       const char* browseName, bool folder);
    void ShowProgress(int resultIndex);
    void Finished();
    void Idle();
    void UpdateButtons();

    kb::Configurator& m_core;
    MessagePresenter& m_presenter;
    Chooser m_chooseFolder;
    Chooser m_chooseCatalogue;

    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_orders = nullptr;
    QPushButton* m_compare = nullptr;
    QTextBrowser* m_report = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_saveHtml = nullptr;
    QPushButton* m_copy = nullptr;

    QFutureWatcher<CompareStep>* m_watcher = nullptr; // the running comparison, if any
    std::optional<kb::Result<kb::CatalogueComparison>> m_outcome;
    std::string m_pricesNote; // why prices were not compared
    std::optional<kb::CatalogueComparison> m_comparison;
    std::string m_html;
};
