// The program killed at random moments while the user works: the draft on disk is always a
// whole order that held at most about 1.5 s before the kill (or none, when the order then
// was the saved one), and Restore in a new process brings that order back exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "DraftKillState.h"
#include "TestFiles.h"
#include "core/session/Configurator.h"
#include "core/session/Drafts.h"

extern char** environ;

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 200;
constexpr int kParallel = 12;
constexpr double kMaxAgeMilliseconds = 1500;

std::vector<ParsedState> ReadLog(const std::string& path) {
    std::vector<ParsedState> states;
    std::ifstream in(path);
    std::string line;
    // A line cut by the kill has no line end yet; getline still returns it, ParseState refuses it.
    while (std::getline(in, line)) {
        ParsedState parsed;
        if (!in.eof() && ParseState(line, parsed))
            states.push_back(std::move(parsed));
    }
    return states;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& stateHome) {
    std::vector<std::string> env{"XDG_STATE_HOME=" + stateHome};
    for (char** e = environ; *e; ++e)
        if (!std::string_view(*e).starts_with("XDG_STATE_HOME="))
            env.emplace_back(*e);
    std::vector<char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

// Waits until the log holds at least count states; false after the timeout.
bool WaitForStates(const std::string& log, std::size_t count, double timeoutMs) {
    const double end = NowMilliseconds() + timeoutMs;
    while (ReadLog(log).size() < count) {
        if (NowMilliseconds() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

struct RunOutcome {
    std::string failure;
    std::string draft;     // the draft left, if any
    ParsedState expected;  // the state it holds
    double age = 0;        // how long before the kill that state was left
    double slack = 0;      // how late the program's timers came near the kill
    bool tempLeft = false; // a write was cut by the kill
};

bool SameOrder(const Draft& draft, const ParsedState& state) {
    for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
        if (draft.customer.fields[f] != state.state.customer.fields[f])
            return false;
    return FormatChoice(draft.choice) == state.choiceText && draft.customerFile == state.state.customerFile;
}

RunOutcome KillOnce(int run, unsigned seed, const fs::path& root, const std::string& customerFile) {
    RunOutcome outcome;
    const fs::path dir = root / ("run-" + std::to_string(run));
    fs::create_directories(dir);
    const std::string log = (dir / "log").string();
    std::vector<std::string> args{DRAFT_KILL_CHILD, "run", std::to_string(seed), (root / "data").string(),
                                  log};
    if (!customerFile.empty())
        args.push_back(customerFile);
    const pid_t pid = Spawn(args, (dir / "state").string());
    if (pid <= 0) {
        outcome.failure = "cannot start the program";
        return outcome;
    }

    std::mt19937 random(seed);
    const auto kill = [&] {
        ::kill(pid, SIGKILL);
        const double killed = NowMilliseconds();
        int status = 0;
        ::waitpid(pid, &status, 0);
        return killed;
    };
    if (!WaitForStates(log, 1, 30000)) {
        kill();
        outcome.failure = "the program did not start";
        return outcome;
    }
    // Every other run aims at the moment of the first write, one second after the first change.
    double target = ReadLog(log).front().state.time + std::uniform_real_distribution<double>(0, 2500)(random);
    if (run % 2 == 1 && WaitForStates(log, 2, 5000))
        target = ReadLog(log)[1].state.time + 1000 + std::uniform_real_distribution<double>(-5, 20)(random);
    std::this_thread::sleep_until(
        std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double, std::milli>(target))));
    const double killed = kill();

    const std::vector<ParsedState> states = ReadLog(log);
    const fs::path folder = DraftsFolder((dir / "state").string().c_str(), nullptr);
    std::vector<fs::path> drafts;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().starts_with("."))
            outcome.tempLeft = true;
        else
            drafts.push_back(entry.path());
    }
    // A program that waited for a core is allowed what it waited: the changes around the kill
    // tell how late its timers came.
    for (const ParsedState& s : states)
        if (s.state.time > killed - 2 * kMaxAgeMilliseconds)
            outcome.slack = std::max(outcome.slack, s.state.late);
    // The states that held at some moment of the last 1.5 s before the kill.
    const auto recent = [&](std::size_t i) {
        const double left = i + 1 < states.size() ? states[i + 1].state.time : killed;
        return killed - left <= kMaxAgeMilliseconds + outcome.slack;
    };
    const std::string where = "run " + std::to_string(run) + " (seed " + std::to_string(seed) + ", " +
                              std::to_string(states.size()) + " states): ";
    if (drafts.empty()) {
        for (std::size_t i = 0; i < states.size(); ++i)
            if (recent(i) && !states[i].state.differs)
                return outcome;
        outcome.failure = where + "no draft, but the order differed from the saved one for the last 1.5 s (" +
                          std::to_string(killed - states.back().state.time) + " ms since the last change)";
        return outcome;
    }
    if (drafts.size() > 1) {
        outcome.failure = where + "more than one draft";
        return outcome;
    }
    outcome.draft = drafts.front().string();
    struct stat st {};
    if (::stat(outcome.draft.c_str(), &st) != 0 || (st.st_mode & 0777) != 0600) {
        outcome.failure = where + "the draft is not private (0600)";
        return outcome;
    }
    const Result<Draft> draft = ReadDraft(outcome.draft);
    const Result<CustomerRecord> asCustomerFile = ReadCustomerFile(outcome.draft);
    if (!draft || !asCustomerFile || draft->owner.pid != pid) {
        outcome.failure =
            where + "the draft is not a whole draft of this process: " + ReadFileBytes(outcome.draft);
        return outcome;
    }
    for (std::size_t i = states.size(); i-- > 0;) {
        if (states[i].state.differs && SameOrder(*draft, states[i])) {
            const double left = i + 1 < states.size() ? states[i + 1].state.time : killed;
            outcome.expected = states[i];
            outcome.age = std::max(0.0, killed - left);
            if (!recent(i))
                outcome.failure = where + "the draft holds a state left " + std::to_string(outcome.age) +
                                  " ms before the kill";
            return outcome;
        }
    }
    outcome.failure =
        where + "the draft equals no state the program went through: " + ReadFileBytes(outcome.draft);
    return outcome;
}

} // namespace

TEST(DraftKill, KilledAtRandomMomentsTheDraftIsARecentWholeOrderThatRestores) {
    TempDir root;
    fs::create_directories(root.path() / "data");
    for (const char* name : {"KITBUILDER.INI", "KITBUILDER.PRS"})
        fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / name, root.path() / "data" / name);
    // Half the runs start from a customer file given on the command line, as from a file manager.
    Configurator sample;
    ASSERT_EQ(sample
                  .LoadCatalogue((root.path() / "data/KITBUILDER.INI").string(),
                                 (root.path() / "data/KITBUILDER.PRS").string())
                  .result,
              LoadResult::Loaded);
    sample.StartUp(false);
    const Result<std::string> code = sample.CurrentIDCode();
    ASSERT_TRUE(code);
    const std::string opened =
        root.write("Opened order.CST", "[Data]\nCompany1=Opened GmbH\nName1=Ann Opened\n"
                                       "Street=Main 1\nCity=Town\nCode=VK72-" +
                                           *code + "\n");

    const unsigned seed = std::random_device{}();
    std::vector<RunOutcome> outcomes(kRuns);
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kParallel; ++w) {
        workers.emplace_back([&] {
            for (int run = next++; run < kRuns; run = next++)
                outcomes[static_cast<std::size_t>(run)] =
                    KillOnce(run, seed + static_cast<unsigned>(run), root.path(), run % 4 < 2 ? opened : "");
        });
    }
    for (auto& worker : workers)
        worker.join();

    int withDraft = 0, cutWrites = 0;
    double maxAge = 0, maxSlack = 0;
    const fs::path restoreHome = root.path() / "restore";
    const fs::path restoreFolder = DraftsFolder(restoreHome.string().c_str(), nullptr);
    fs::create_directories(restoreFolder);
    std::map<std::string, const RunOutcome*> byName;
    for (const RunOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.failure, "");
        cutWrites += outcome.tempLeft ? 1 : 0;
        maxSlack = std::max(maxSlack, outcome.slack);
        if (outcome.draft.empty() || !outcome.failure.empty())
            continue;
        ++withDraft;
        maxAge = std::max(maxAge, outcome.age);
        const std::string name = fs::path(outcome.draft).filename().string();
        fs::copy_file(outcome.draft, restoreFolder / name);
        byName[name] = &outcome;
    }
    std::printf(
        "%d runs (seed %u): %d drafts left, %d writes cut by the kill, oldest kept state left %.0f ms "
        "before the kill, timers up to %.0f ms late\n",
        kRuns, seed, withDraft, cutWrites, maxAge, maxSlack);
    ASSERT_GT(withDraft, kRuns / 5);

    // Restore in a new process: every draft, one after the other, gives back its order.
    const std::string command = "XDG_STATE_HOME='" + restoreHome.string() +
                                "' '" DRAFT_KILL_CHILD "' restore '" + (root.path() / "data").string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    EXPECT_EQ(::pclose(pipe), 0) << "the restoring program showed a message or failed";
    std::istringstream lines(output);
    int restored = 0;
    for (std::string line; std::getline(lines, line);) {
        const auto tab = line.find('\t');
        ParsedState got;
        ASSERT_TRUE(ParseState(line.substr(tab + 1), got)) << line;
        const auto found = byName.find(fs::path(line.substr(0, tab)).filename().string());
        ASSERT_NE(found, byName.end()) << line;
        const KilledState& want = found->second->expected.state;
        EXPECT_EQ(got.state.title, want.title);
        EXPECT_EQ(got.choiceText, found->second->expected.choiceText);
        EXPECT_EQ(got.state.result, want.result);
        EXPECT_EQ(got.state.status, want.status);
        EXPECT_EQ(got.state.price, want.price);
        for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
            EXPECT_EQ(got.state.customer.fields[f], want.customer.fields[f]);
        ++restored;
    }
    EXPECT_EQ(restored, withDraft);
}
