#include "gui/compare/CompareWorker.h"

#include <chrono>

using namespace kb;

namespace {
// Often enough for a smooth progress bar, rarely enough not to flood the window's events.
constexpr auto kPublishInterval = std::chrono::milliseconds(40);
} // namespace

CompareWorker::CompareWorker(ComparisonFiles files, QObject* parent)
    : QThread(parent), m_files(std::move(files)) {}

CompareWorker::~CompareWorker() {
    cancel();
    wait();
}

std::pair<std::size_t, std::size_t> CompareWorker::progress() const {
    return {m_done.load(std::memory_order_relaxed), m_total.load(std::memory_order_relaxed)};
}

Result<CatalogueComparison> CompareWorker::TakeResult() {
    if (!m_result)
        return Error{"The comparison did not end."};
    Result<CatalogueComparison> result = std::move(*m_result);
    m_result.reset();
    return result;
}

void CompareWorker::run() {
    auto published = std::chrono::steady_clock::now();
    m_result = CompareCatalogues(m_files, &m_cancel, [&](std::size_t done, std::size_t total) {
        m_done.store(done, std::memory_order_relaxed);
        m_total.store(total, std::memory_order_relaxed);
        const auto now = std::chrono::steady_clock::now();
        if (now - published >= kPublishInterval) {
            published = now;
            emit progressed();
        }
    });
}
