#include "gui/recheck/RecheckWorker.h"

#include <chrono>

using namespace kb;

namespace {
// Often enough for a smooth progress bar, rarely enough not to flood the window's events.
constexpr auto kPublishInterval = std::chrono::milliseconds(40);
} // namespace

RecheckWorker::RecheckWorker(RecheckBasis basis, std::vector<std::string> paths, QObject* parent)
    : QThread(parent), m_basis(std::move(basis)), m_paths(std::move(paths)) {}

RecheckWorker::~RecheckWorker() {
    cancel();
    wait();
}

RecheckWorker::Progress RecheckWorker::Take() {
    const std::lock_guard lock(m_mutex);
    Progress taken;
    taken.rows.swap(m_pending.rows);
    taken.done = m_pending.done;
    taken.total = m_pending.total;
    m_signalled = false;
    return taken;
}

void RecheckWorker::Publish(std::vector<RecheckedOrder>& rows, std::size_t done, bool force) {
    bool signal = false;
    {
        const std::lock_guard lock(m_mutex);
        for (RecheckedOrder& row : rows)
            m_pending.rows.push_back(std::move(row));
        m_pending.done = done;
        signal = force || !m_signalled;
        m_signalled = true;
    }
    rows.clear();
    if (signal)
        emit progressed();
}

void RecheckWorker::run() {
    CustomerFileList found = FindCustomerFiles(m_paths, &m_cancel);
    if (isCancelled())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_pending.total = found.files.size() + found.failures.size();
    }
    std::vector<RecheckedOrder> batch = std::move(found.failures);
    std::size_t done = batch.size();
    auto published = std::chrono::steady_clock::now();
    for (const std::string& file : found.files) {
        if (isCancelled())
            break;
        batch.push_back(RecheckCustomerFile(file, m_basis));
        ++done;
        const auto now = std::chrono::steady_clock::now();
        if (now - published >= kPublishInterval) {
            Publish(batch, done, false);
            published = now;
        }
    }
    Publish(batch, done, true);
}
