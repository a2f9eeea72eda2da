#include "core/config/ConfigurationCheck.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/config/UnitPrice.h"
#include "core/idcode/IDCode.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

// Every single change of the sample's standard configuration, and what it evaluates to.
struct Trial {
    Choice choice;
    Verdict verdict;
    std::string price;
    std::string code;
};

std::vector<Trial> SampleTrials(const Configurator& c, const RuleSections& rules) {
    std::vector<Trial> trials;
    for (const auto& info : AllGroups()) {
        for (int i = -1; i < c.snapshot()->Count(info.group); ++i) {
            Choice choice = c.choice();
            choice[info.group] = i;
            choice.pciChecked = i % 2 == 0;
            const Verdict verdict = Evaluate(choice, *c.snapshot(), rules);
            const Result<std::string> code = EncodeIDCode(choice, *c.snapshot());
            trials.push_back({choice, verdict, ComputeUnitPrice(choice, *c.snapshot()),
                              code ? *code : code.error().message});
        }
    }
    return trials;
}

// One shared snapshot, evaluated on several threads at once without a lock: every thread must
// get what one thread alone gets. Run in the ThreadSanitizer build, a data race fails it too.
TEST(ConcurrentEvaluation, SharedSnapshotNeedsNoLock) {
    Configurator c;
    ASSERT_EQ(
        c.LoadCatalogue(KITBUILDER_DATA_DIR "/KITBUILDER.INI", KITBUILDER_DATA_DIR "/KITBUILDER.PRS").result,
        LoadResult::Loaded);
    c.StartUp(false);
    const Result<RuleSections> rules = ReadRuleSections(KITBUILDER_DATA_DIR "/KITBUILDER.INI");
    ASSERT_TRUE(rules.has_value());
    const std::vector<Trial> expected = SampleTrials(c, *rules);
    ASSERT_GT(expected.size(), 60u);

    const std::shared_ptr<const CatalogueSnapshot> snapshot = c.snapshot();
    constexpr int kThreads = 4;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                for (const Trial& trial : expected) {
                    const Verdict verdict = Evaluate(trial.choice, *snapshot, *rules);
                    const Result<std::string> code = EncodeIDCode(trial.choice, *snapshot);
                    const bool same = verdict.result == trial.verdict.result &&
                                      verdict.statusText == trial.verdict.statusText &&
                                      ComputeUnitPrice(trial.choice, *snapshot) == trial.price &&
                                      (code ? *code : code.error().message) == trial.code;
                    mismatches[static_cast<std::size_t>(t)] += same ? 0 : 1;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "thread " << t;
}

} // namespace
