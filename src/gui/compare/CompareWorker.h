#pragma once

#include <QThread>
#include <atomic>
#include <mutex>
#include <optional>

#include "core/session/CatalogueComparison.h"

// Compares two catalogue releases (and rechecks the saved orders under both) on a thread of
// its own; a cancelled run stops after the order it is checking.
class CompareWorker : public QThread {
    Q_OBJECT
  public:
    CompareWorker(kb::ComparisonFiles files, QObject* parent = nullptr);
    ~CompareWorker() override;

    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    // How far the orders are: done and found (0 while the folder is listed).
    std::pair<std::size_t, std::size_t> progress() const;
    // The outcome, once finished() was sent.
    kb::Result<kb::CatalogueComparison> TakeResult();

  signals:
    // Sent at most every few hundredths of a second while orders are checked.
    void progressed();

  protected:
    void run() override;

  private:
    const kb::ComparisonFiles m_files;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_total{0};
    std::optional<kb::Result<kb::CatalogueComparison>> m_result;
};
