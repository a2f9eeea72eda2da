#pragma once

#include <QThread>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/customer/Recheck.h"

// Rechecks the customer files of the given paths on a thread of its own, over the shared
// catalogue snapshot. The window takes the rows as they come; a cancelled run stops after
// the file it is reading.
class RecheckWorker : public QThread {
    Q_OBJECT
  public:
    RecheckWorker(kb::RecheckBasis basis, std::vector<std::string> paths, QObject* parent = nullptr);
    ~RecheckWorker() override;

    void cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    struct Progress {
        std::vector<kb::RecheckedOrder> rows; // checked since the last Take
        std::size_t done = 0;
        std::size_t total = 0; // 0 while the folders are being listed
    };
    // The rows checked since the last call, and how far the run is.
    Progress Take();

  signals:
    // New rows or progress; sent at most every few hundredths of a second, and once more at
    // the end (before finished()).
    void progressed();

  protected:
    void run() override;

  private:
    void Publish(std::vector<kb::RecheckedOrder>& rows, std::size_t done, bool force);

    const kb::RecheckBasis m_basis;
    const std::vector<std::string> m_paths;
    std::atomic<bool> m_cancel{false};

    std::mutex m_mutex;
    Progress m_pending;
    bool m_signalled = false; // a progressed() not yet answered by Take
};
