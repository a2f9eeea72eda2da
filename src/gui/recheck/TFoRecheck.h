#pragma once

#include <QFutureWatcher>
#include <QWidget>

#include "core/customer/Recheck.h"
#include <functional>
#include <string>

namespace kb {
class Configurator;
}
class MessagePresenter;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class RecheckModel;

// "Check Saved Orders": every customer file of a folder rechecked against the catalogue the
// program has loaded, each from the start-up state, on a thread of its own. Not modal: the
// user opens an order from the table into the main window and carries on with the list.
class TFoRecheck : public QWidget {
    Q_OBJECT
  public:
    // Asks for a folder, starting at the given one; an empty text when the user cancels.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;

    TFoRecheck(kb::Configurator& core, MessagePresenter& presenter, QWidget* parent = nullptr);
    ~TFoRecheck() override;

    // Shows the window. A fresh opening starts at the folder of the current customer file
    // (else the working folder) and checks it; an open window is only raised.
    void Open();
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    // The per-user settings file that keeps the window's size and column widths; none: not kept.
    void setSettingsFile(std::string file) { m_settingsFile = std::move(file); }

    QString folder() const;
    void setFolder(const QString& folder);
    bool running() const { return m_watcher != nullptr; }
    RecheckModel* model() const { return m_model; }
    QTableView* table() const { return m_table; }
    // The rows in the order shown, under a line of column names, tab-separated.
    QString TableText() const;

    void BtnCheckClick();
    void BtnBrowseClick();
    void BtnCancelClick();
    void BtnOpenClick();
    void BtnCopyClick();

  signals:
    // A check ended: all rows are in, or it was cancelled.
    void checkEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // At the first opening: the stored (or the default) size within the screen, and the columns.
    void PlaceOnScreen();
    void SaveLayout();
    void TakeProgress(int resultIndex);
    void WorkerFinished();
    void ShowCounts();
    void UpdateButtons();
    int SelectedRow() const;

    kb::Configurator& m_core;
    MessagePresenter& m_presenter;
    FolderChooser m_chooseFolder;

    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_check = nullptr;
    QTableView* m_table = nullptr;
    RecheckModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QLabel* m_counts = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_close = nullptr;

    // The running check, if any: its rows arrive as results, at most every few hundredths
    // of a second.
    QFutureWatcher<kb::RecheckProgress>* m_watcher = nullptr;
    std::size_t m_done = 0;
    std::size_t m_total = 0;
    bool m_cancelled = false;
    std::string m_rulesWarning;
    std::string m_settingsFile;
    bool m_placed = false;
};
