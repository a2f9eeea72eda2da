// kitbuilder-cli diff on a release of a catalogue with 150 parts and a folder of 1,000 saved
// orders: the core's comparison (both catalogues read, compared, every order rechecked under
// both), the HTML report, and the companion as a user runs it (with the lint of both files).
// Prints the fastest and the median of several runs; the target is under 1 s.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/idcode/IDCode.h"
#include "core/session/CatalogueComparison.h"
#include "core/session/ComparisonHtml.h"
#include "core/session/Configurator.h"

using namespace kb;
namespace fs = std::filesystem;

namespace {

constexpr int kParts = 150;
constexpr int kOrders = 1000;
constexpr int kRuns = 7;

struct Part {
    std::string orderNumber, type, description, index;
    int price;
};

struct Release {
    std::vector<Part> parts;
    std::vector<std::pair<std::string, std::vector<int>>> lists; // section, part numbers
    std::vector<std::string> limitsP, limitsS, exclusions;       // "KEY=VALUE" lines
    std::string version;
};

std::string OrderNumber(int n) {
    return std::to_string(72100000 + n * 101);
}

// Groups with their parts in the numbering below: four each of the radio groups, one card,
// HMI, power, 24 interface modules shared by the slots, displays, cables; the rest are spares.
Release MakeRelease() {
    Release r;
    r.version = "2.0";
    int n = 0;
    const auto add = [&](const std::string& type, const std::string& description, const std::string& index) {
        r.parts.push_back({OrderNumber(n), type, description, index, 50 + (n * 37) % 900});
        return n++;
    };
    const auto group = [&](const char* section, int count, bool positional, const char* kind) {
        std::vector<int> members;
        for (int k = 0; k < count; ++k)
            members.push_back(add(std::string(kind) + "-" + std::to_string(k),
                                  std::string(kind) + " variant " + std::to_string(k + 1),
                                  positional ? std::string(1, static_cast<char>('1' + k))
                                             : std::string(1, static_cast<char>('A' + k))));
        r.lists.emplace_back(section, members);
        return members;
    };
    group("Housing", 4, true, "Housing");
    group("CPU", 4, true, "CPU");
    group("RAM", 4, true, "RAM");
    group("OperatingSystem", 4, true, "System");
    r.lists.emplace_back("Extension", std::vector<int>{add("PCI", "PCI extension", "1")});
    group("HMI", 4, false, "Panel");
    group("Power", 4, true, "Supply");
    std::vector<int> modules;
    for (int k = 0; k < 24; ++k)
        modules.push_back(add("M-" + std::to_string(k), "Interface module " + std::to_string(k + 1),
                              std::string(1, static_cast<char>('A' + k))));
    for (int slot = 1; slot <= 10; ++slot) {
        std::vector<int> offered;
        for (int k = 0; k < 24; ++k)
            if ((k + slot) % 3 != 0)
                offered.push_back(modules[static_cast<std::size_t>(k)]);
        r.lists.emplace_back("X" + std::to_string(slot), offered);
    }
    group("Display", 6, false, "Display");
    group("HMICable", 6, false, "Cable");
    while (n < kParts)
        add("SP", "Spare part " + std::to_string(n), "Z");
    for (int k = 0; k < 3; ++k) {
        r.limitsP.push_back(OrderNumber(modules[static_cast<std::size_t>(k)]) + "=2");
        r.limitsS.push_back(OrderNumber(modules[static_cast<std::size_t>(k + 3)]) + "=2");
    }
    for (int k = 0; k < 4; ++k)
        r.exclusions.push_back(OrderNumber(16 + k) + "=" +
                               OrderNumber(modules[static_cast<std::size_t>(10 + k)]));
    return r;
}

void Write(const Release& r, const fs::path& ini, const fs::path& prs) {
    std::ofstream out(ini, std::ios::binary);
    out << "[General]\nUseStdConfig=1\nShowPrices=1\nOSStdLanguage=0\nVersion=" << r.version
        << "\n[OrderNumbers]\n";
    for (std::size_t k = 0; k < r.parts.size(); ++k)
        out << k << '=' << r.parts[k].orderNumber << '\n';
    for (const char* section : {"Types", "Descriptions", "Index"}) {
        out << '[' << section << "]\n";
        for (const Part& p : r.parts)
            out << p.orderNumber << '='
                << (section[0] == 'T'   ? p.type
                    : section[0] == 'D' ? p.description
                                        : p.index)
                << '\n';
    }
    for (const auto& [section, members] : r.lists) {
        out << '[' << section << "]\n";
        for (std::size_t k = 0; k < members.size(); ++k)
            out << k << '=' << r.parts[static_cast<std::size_t>(members[k])].orderNumber << '\n';
    }
    out << "[OSLanguages]\n0=german\n1=english\n2=french\n3=dutch\n4=italian\n5=spanish\n";
    for (const auto& [section, lines] : {std::pair{"Max_PCOM", &r.limitsP}, std::pair{"Max_SCOM", &r.limitsS},
                                         std::pair{"Exclude_List", &r.exclusions}}) {
        out << '[' << section << "]\n";
        for (const std::string& line : *lines)
            out << line << '\n';
    }
    std::ofstream prices(prs, std::ios::binary);
    prices << "[General]\nCurrency=EUR\nPriceBase=EN\nDecimalSeparator=,\nDate=2027-01-01\n[Prices]\n";
    for (const Part& p : r.parts)
        prices << p.orderNumber << '=' << p.price << '\n';
}

// The next release: prices raised, parts renamed, an index letter moved, a limit tightened, an
// entry dropped, a pair excluded, a spare part replaced.
Release NextRelease(Release r) {
    r.version = "2.1";
    for (int k = 0; k < 15; ++k)
        r.parts[static_cast<std::size_t>(k * 9)].price += 25;
    for (int k : {2, 40, 77})
        r.parts[static_cast<std::size_t>(k)].description += " (revised)";
    for (Part& p : r.parts)
        if (p.type == "M-5")
            p.index = "Y";
    r.limitsS[0].back() = '1';
    for (auto& [section, members] : r.lists)
        if (section == "X1")
            members.erase(members.begin() + 2);
    r.exclusions.push_back(OrderNumber(20) + "=" + OrderNumber(25));
    r.parts.back().orderNumber = "79999999";
    return r;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The target applies to the whole run as a user waits for it, judged by the median.
void Report(const char* what, std::vector<double> times, bool whole) {
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-60s fastest %7.1f ms   median %7.1f ms", what, times.front(), median);
    if (whole)
        std::printf("   target < 1000 ms: %s", median < 1000 ? "met" : "missed");
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const fs::path root = fs::temp_directory_path() / ("kitbuilder-diff-bench-" + std::to_string(::getpid()));
    fs::create_directories(root / "old");
    fs::create_directories(root / "new");
    fs::create_directories(root / "orders");
    const Release old = MakeRelease();
    Write(old, root / "old/KITBUILDER.INI", root / "old/KITBUILDER.PRS");
    Write(NextRelease(old), root / "new/KITBUILDER.INI", root / "new/KITBUILDER.PRS");

    // Orders as users make them: random choices from the start-up state, encoded by the program.
    Configurator core;
    if (core.LoadCatalogue((root / "old/KITBUILDER.INI").string(), (root / "old/KITBUILDER.PRS").string())
            .result != LoadResult::Loaded) {
        std::fprintf(stderr, "the generated catalogue did not load\n");
        return 1;
    }
    core.StartUp(false);
    std::mt19937 random(24);
    const auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    for (int i = 0; i < kOrders; ++i) {
        Configurator order = core;
        for (const GroupInfo& info : AllGroups())
            if (info.group != Group::OSLanguage && order.snapshot()->Count(info.group) > 0)
                order.UserSelect(info.group, pick(order.snapshot()->Count(info.group)));
        order.UserSetPCI(pick(2) == 1);
        const Result<std::string> code = EncodeIDCode(order.choice(), *order.snapshot());
        std::ofstream out(root / "orders" / ("order" + std::to_string(i) + ".CST"), std::ios::binary);
        out << "[Data]\nCompany1=Customer " << i << "\nName1=Buyer\nCode=" << kIDCodePrefix
            << (code ? *code : std::string("0000x-0000x-00000-00000-00x")) << "\n";
    }

    ComparisonFiles files;
    files.oldCatalogue = (root / "old/KITBUILDER.INI").string();
    files.oldPrices = (root / "old/KITBUILDER.PRS").string();
    files.newCatalogue = (root / "new/KITBUILDER.INI").string();
    files.newPrices = (root / "new/KITBUILDER.PRS").string();
    files.ordersFolder = (root / "orders").string();

    std::vector<double> compare, html, total;
    std::size_t changes = 0, touched = 0, orders = 0, pageBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const Result<CatalogueComparison> result = CompareCatalogues(files);
        const auto compared = std::chrono::steady_clock::now();
        if (!result) {
            std::fprintf(stderr, "%s\n", result.error().message.c_str());
            return 1;
        }
        pageBytes = ComparisonHtml(*result).size();
        compare.push_back(Ms(compared - start));
        html.push_back(Ms(std::chrono::steady_clock::now() - compared));
        total.push_back(Ms(std::chrono::steady_clock::now() - start));
        changes = result->changes.size();
        touched = result->touched.size();
        orders = result->orderCount;
    }
    std::printf("catalogues of %d parts, %zu saved orders: %zu changes, %zu orders affected, page %zu KB\n",
                kParts, orders, changes, touched, pageBytes / 1024);
    Report("read, compare, recheck every order under both (core)", compare, false);
    Report("the HTML report", html, false);
    Report("both together", total, true);

    if (argc > 1) {
        const std::string command = std::string(argv[1]) + " diff '" + files.oldCatalogue + "' '" +
                                    files.newCatalogue + "' --orders '" + files.ordersFolder + "' --html '" +
                                    (root / "report.html").string() + "' >/dev/null 2>&1";
        std::vector<double> cli;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const int status = std::system(command.c_str());
            cli.push_back(Ms(std::chrono::steady_clock::now() - start));
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 4) {
                std::fprintf(stderr, "kitbuilder-cli diff ended with status %d, expected 4\n", status);
                return 1;
            }
        }
        Report("kitbuilder-cli diff --orders --html, with the lint (process)", cli, true);
    }
    fs::remove_all(root);
    return 0;
}
