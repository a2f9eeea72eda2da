// Timings of the core's costly operations on the sample catalogue and on grown catalogues,
// followed by each median against its target.
#include "core/config/ConfigurationCheck.h"
#include "core/config/RuleHints.h"
#include "core/customer/Recheck.h"
#include "core/platform/TIniFile.h"
#include "core/session/Configurator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kKiB = 1024;
constexpr int kRepetitions = 10;

// A scratch folder with a copy of the sample and the grown catalogues, removed at exit.
class Workspace {
  public:
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "kitbuilder-bench.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch folder");
        m_folder = pattern;
        fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / "KITBUILDER.INI", catalogue());
        fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / "KITBUILDER.PRS", prices());
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }

    std::string catalogue() const { return (m_folder / "KITBUILDER.INI").string(); }
    std::string prices() const { return (m_folder / "KITBUILDER.PRS").string(); }

    // The sample followed by sections of keys and comments up to about the given size;
    // the last section is named so that a reader has to pass all the others to find it.
    std::string Grown(std::int64_t bytes) {
        const fs::path path = m_folder / ("grown-" + std::to_string(bytes) + ".ini");
        if (fs::exists(path))
            return path.string();
        std::ifstream sample(catalogue(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
        for (int section = 0; static_cast<std::int64_t>(text.size()) < bytes; ++section) {
            text += "\n; Accessories of series " + std::to_string(section) + ", kept for the service desk\n";
            text += "[Accessories" + std::to_string(section) + "]\n";
            for (int key = 0; key < 40; ++key) {
                text += "Item" + std::to_string(key) + " = \"Spare part " +
                        std::to_string(section * 100 + key) + ", packed in tens\"\n";
                if (key % 10 == 9)
                    text += "; next ten items\n";
            }
        }
        text += "[Last]\nKey=found\n";
        std::ofstream out(path, std::ios::binary);
        out << text;
        return path.string();
    }

  private:
    fs::path m_folder;
};

Workspace& Files() {
    static Workspace workspace;
    return workspace;
}

Configurator LoadedSample() {
    Configurator c;
    const LoadOutcome outcome = c.LoadCatalogue(Files().catalogue(), Files().prices());
    if (outcome.result != LoadResult::Loaded)
        throw std::runtime_error("the sample catalogue does not load: " + outcome.detail);
    c.StartUp(false);
    return c;
}

void LoadSampleCatalogue(benchmark::State& state) {
    for (auto _ : state) {
        Configurator c;
        const LoadOutcome outcome = c.LoadCatalogue(Files().catalogue(), Files().prices());
        benchmark::DoNotOptimize(outcome.result);
    }
}

void CheckCompleteConfiguration(benchmark::State& state) {
    Configurator c = LoadedSample();
    if (!c.configuration().Complete() || c.CheckConfiguration() != CheckResult::Passed) {
        state.SkipWithError("the sample's standard configuration does not pass the check");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(c.CheckConfiguration());
}

// The pure evaluation that rule hints and rechecks ask many times: no file, no state changed.
void EvaluateConfiguration(benchmark::State& state) {
    Configurator c = LoadedSample();
    for (const Group slot : {Group::X1, Group::X2, Group::X3, Group::X6, Group::X7, Group::X8})
        c.UserSelect(slot, 1);
    const Result<RuleSections> rules = ReadRuleSections(Files().catalogue());
    if (!rules) {
        state.SkipWithError(rules.error().message.c_str());
        return;
    }
    const std::shared_ptr<const CatalogueSnapshot> snapshot = c.snapshot();
    const Choice choice = c.choice();
    for (auto _ : state) {
        const Verdict verdict = Evaluate(choice, *snapshot, *rules);
        benchmark::DoNotOptimize(verdict.result);
    }
}

void ApplyCodeAndBuildOrderList(benchmark::State& state) {
    // A configuration with filled slots, so the order list has its full set of rows.
    Configurator c = LoadedSample();
    for (const Group slot : {Group::X1, Group::X2, Group::X3, Group::X6, Group::X7, Group::X8})
        c.UserSelect(slot, 1);
    const Result<std::string> encoded = c.CurrentIDCode();
    if (!encoded) {
        state.SkipWithError(encoded.error().message.c_str());
        return;
    }
    const std::string code = kIDCodePrefix + *encoded;
    Configurator target = LoadedSample();
    for (auto _ : state) {
        target.ApplyIDCode(code);
        const Result<OrderList> build = target.BuildOrderlist();
        if (!build || build->rtf.empty()) {
            state.SkipWithError("the order list was not built");
            break;
        }
        benchmark::DoNotOptimize(build->rtf.data());
    }
}

// All marks of the window after a change, as it works them out: the rule sections read once,
// then every entry of every control and the card evaluated. Argument 0: the standard
// configuration (looks for entries that would break a rule); 1: one with a rule fault (looks
// for entries that would clear it).
void RuleHintsOfSample(benchmark::State& state) {
    Configurator c = LoadedSample();
    if (state.range(0) == 1) {
        // Wireless LAN is not allowed in the lower row.
        c.UserSelect(Group::X10, 5);
        if (!Evaluate(c.choice(), *c.snapshot(), *ReadRuleSections(c.cataloguePath())).RuleFault()) {
            state.SkipWithError("the sample's X10 entry 5 no longer breaks a rule");
            return;
        }
    }
    int marked = 0;
    for (auto _ : state) {
        const RuleHints hints = ReadRuleHints(c.choice(), *c.snapshot(), c.cataloguePath());
        marked = hints.MarkedCount();
        benchmark::DoNotOptimize(marked);
    }
    if (marked == 0)
        state.SkipWithError("no entry was marked: the benchmark would measure nothing");
    state.counters["marked"] = marked;
}

void ReadGrownCatalogue(benchmark::State& state) {
    const std::string path = Files().Grown(state.range(0));
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) {
        const TIniFile ini(path);
        benchmark::DoNotOptimize(ini.ReadString("General", "Version", ""));
        benchmark::DoNotOptimize(ini.ReadString("OrderNumbers", "12", ""));
        benchmark::DoNotOptimize(ini.ReadString("Accessories3", "Item7", ""));
        benchmark::DoNotOptimize(ini.ReadString("Last", "Key", ""));
        benchmark::DoNotOptimize(ini.ReadString("Missing", "Key", ""));
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["file_KiB"] = static_cast<double>(size) / kKiB;
}

// A folder of 1,000 saved orders, a third each valid, changed (a slot character that fits
// nothing) and invalid (incomplete), rechecked from listing the folder to the last row.
void RecheckThousandOrders(benchmark::State& state) {
    const Configurator c = LoadedSample();
    const fs::path folder = fs::path(Files().catalogue()).parent_path() / "orders";
    fs::create_directories(folder);
    const char* codes[] = {"VK72-1111x-110Ax-00000-00000-M3x", "VK72-1111x-110Ax-Z0000-00000-M3x",
                           "VK72-1911x-110Ax-00000-00000-M3x"};
    constexpr int kOrders = 1000;
    for (int i = 0; i < kOrders; ++i) {
        std::ofstream out(folder / ("order" + std::to_string(i) + ".CST"), std::ios::binary);
        out << "[Data]\nCompany1=Customer " << i << "\nName1=Buyer\nStreet=Main Street " << i
            << "\nCity=Springfield\nCode=" << codes[i % 3] << "\n";
    }
    for (auto _ : state) {
        const RecheckBasis basis =
            MakeRecheckBasis(c.snapshot(), c.startChoice(), ReadRuleSections(c.cataloguePath()).value());
        const std::vector<RecheckedOrder> orders = RecheckOrders({folder.string()}, basis);
        std::size_t valid = 0;
        for (const RecheckedOrder& order : orders)
            valid += order.verdict == RecheckVerdict::Valid;
        if (orders.size() != kOrders || valid != (kOrders + 2) / 3) {
            state.SkipWithError("the orders were not all found or not checked as written");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kOrders);
}

struct Target {
    const char* what;
    const char* name; // benchmark name without the aggregate suffix
    double limitMicroseconds;
};

const Target kTargets[] = {
    {"check of a complete configuration", "CheckCompleteConfiguration", 50},
    {"evaluation without file or window", "EvaluateConfiguration", 5},
    {"decode + order list with RTF copy", "ApplyCodeAndBuildOrderList", 200},
    {"loading the sample catalogue", "LoadSampleCatalogue", 5000},
    {"all rule hints, no fault", "RuleHintsOfSample/0", 2000},
    {"all rule hints, with a fault", "RuleHintsOfSample/1", 2000},
    {"reading a 1 MB catalogue", "ReadGrownCatalogue/1048576", 30000},
    {"recheck of 1,000 saved orders", "RecheckThousandOrders", 1000000},
};

// Shows the usual table and keeps the medians for the summary.
class MedianReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                m_medians[Name(run)] = run.GetAdjustedRealTime() * Scale(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints each target's median; false when one was missed.
    bool PrintSummary() const {
        std::printf("\nMedian against target (this machine):\n");
        bool allMet = true;
        for (const Target& target : kTargets) {
            const auto found = m_medians.find(target.name);
            if (found == m_medians.end()) {
                std::printf("  %-36s not measured\n", target.what);
                continue;
            }
            const bool met = found->second < target.limitMicroseconds;
            allMet = allMet && met;
            std::printf("  %-36s %10.1f us   target < %.0f us   %s\n", target.what, found->second,
                        target.limitMicroseconds, met ? "met" : "MISSED");
        }
        const auto small = m_medians.find("ReadGrownCatalogue/10240");
        const auto large = m_medians.find("ReadGrownCatalogue/1048576");
        if (small != m_medians.end() && large != m_medians.end())
            std::printf("  %-36s %10.1f x    (linear: about 100 x)\n", "1 MB read time / 10 KB read time",
                        large->second / small->second);
        return allMet;
    }

  private:
    static std::string Name(const Run& run) {
        const auto& name = run.run_name;
        return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
    }

    static double Scale(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-3;
        case benchmark::kMicrosecond:
            return 1;
        case benchmark::kMillisecond:
            return 1e3;
        case benchmark::kSecond:
            return 1e6;
        }
        return 1;
    }

    std::map<std::string, double> m_medians;
};

} // namespace

BENCHMARK(LoadSampleCatalogue)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(CheckCompleteConfiguration)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(EvaluateConfiguration)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(ApplyCodeAndBuildOrderList)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(RuleHintsOfSample)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(ReadGrownCatalogue)
    ->Arg(10 * kKiB)
    ->Arg(100 * kKiB)
    ->Arg(1024 * kKiB)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();
BENCHMARK(RecheckThousandOrders)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MedianReporter reporter(::isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                    : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.PrintSummary();
    return 0;
}
