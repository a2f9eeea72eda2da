// Saves of one customer file through kitbuilder-cli, killed at random moments and raced by a
// second writer, on each path a save can take: by rename; in place in a folder the user may not
// write (as an unprivileged user); in place for a file with two hard links. After every kill and
// the next start's completion of any journal, the file is exactly one of the two records, with
// its mode; after every race round it is one whole record and every failure was reported.
#include "core/platform/SaveJournal.h"

#include "SmallCatalogue.h"
#include "TestFiles.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace kb;

namespace {

namespace fs = std::filesystem;

// At least 300 kills over the three paths, 300 race rounds on each.
constexpr int kKillsPerPath = 110;
constexpr int kRaceRounds = 300;

enum class Path { Rename, LockedFolder, HardLinks };

struct Scenario {
    const char* name;
    Path path;
};

const Scenario kScenarios[] = {
    {"rename", Path::Rename},
    {"in place, locked folder, unprivileged user", Path::LockedFolder},
    {"in place, two hard links", Path::HardLinks},
};

// Two records of different lengths, each with a code its check passes.
std::vector<std::string> RecordArguments(bool longer) {
    if (!longer)
        return {"--code", "VK72-1111x-110Ax-00000-00000-D3x", "Company1=Acme", "Name1=Ann"};
    return {"--code",
            "VK72-2121x-231Ax-C0000-000P0-D5x",
            "Company1=" + std::string(1500, 'C'),
            "Company2=" + std::string(1500, 'D'),
            "Name1=Bob",
            "Street=" + std::string(1500, 'S'),
            "City=Bern"};
}

// The lines of a shared order besides the record, so that a save has something to keep; for the
// kills about 1 MB, so that the rewrite itself lasts long enough for kills to fall into it.
std::string OtherLines(bool race) {
    std::string text = "; shared order\n[Data]\n[Notes]\n";
    for (int i = 0; i < (race ? 4000 : 25000); ++i)
        text += "note" + std::to_string(i) + "=kept as it was, line " + std::to_string(i) + "\n";
    return text;
}

struct Files {
    std::string catalogue;
    std::string order;
    std::string errors[2];
};

// A save of one of the two records; without the file, the companion's start-up and no more.
pid_t Spawn(const Files& files, bool longer, const std::string& errorFile, bool save = true) {
    std::vector<std::string> args = {KITBUILDER_CLI, "--catalogue", files.catalogue};
    if (save) {
        args.insert(args.end(), {"save", files.order});
        for (std::string& arg : RecordArguments(longer))
            args.push_back(std::move(arg));
    } else {
        args.insert(args.end(), {"decode", RecordArguments(longer)[1]});
    }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, KITBUILDER_CLI, &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        if (name.starts_with(".kb") || name.starts_with(".journal-"))
            found.push_back(item.path().string());
    }
    return found;
}

struct Counts {
    int rounds = 0;
    int kills = 0;
    int completedRuns = 0;
    int journalsCompleted = 0;
    int leftoversSeen = 0;
    int bothSaved = 0;
    int failures = 0;
    int unreported = 0;
    int falseSuccesses = 0;
    int torn = 0;
    int modeChanges = 0;
    int leftoversAfterSave = 0;
    std::string problems;

    std::string Line(bool race) const {
        std::ostringstream line;
        if (race)
            line << "rounds " << rounds << ", both saved " << bothSaved << ", failures reported " << failures
                 << ", unreported " << unreported << ", false successes " << falseSuccesses;
        else
            line << "kills " << kills << ", runs that ended first " << completedRuns
                 << ", journals completed " << journalsCompleted << ", temporary files left by kills "
                 << leftoversSeen;
        line << ", torn " << torn << ", mode changes " << modeChanges << ", leftovers after the next save "
             << leftoversAfterSave << problems;
        return line.str();
    }
};

// Everything of one scenario happens here, as the user it runs as. Returns the counts' line, or
// "skip: why".
std::string RunScenario(const Scenario& scenario, const fs::path& root, bool race, unsigned seed) {
    Files files;
    files.catalogue = (root / "KITBUILDER.INI").string();
    files.errors[0] = (root / "errors0").string();
    files.errors[1] = (root / "errors1").string();
    if (::access(KITBUILDER_CLI, X_OK) != 0 || ::access(files.catalogue.c_str(), R_OK) != 0)
        return "skip: this user cannot run " KITBUILDER_CLI " or read its catalogue";
    const fs::path folder = scenario.path == Path::LockedFolder ? root / "shared" : root;
    files.order = (folder / "order.CST").string();
    const mode_t mode = Mode(files.order);

    // The two records as whole files, from clean saves.
    std::string record[2];
    for (int n = 0; n < 3; ++n) {
        const bool longer = n % 2 == 1;
        const int status = Wait(Spawn(files, longer, files.errors[0]));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return "a clean save failed: " + ReadFileBytes(files.errors[0]);
        const std::string bytes = ReadFileBytes(files.order);
        if (n < 2)
            record[longer] = bytes;
        else if (bytes != record[0])
            return "saving the same record twice gave two files";
    }
    if (record[0].find("note3999=") == std::string::npos || record[0].size() >= record[1].size())
        return "the records are not what the test expects";

    std::mt19937 random(seed);
    Counts counts;
    const auto checkFile = [&](const std::string& when) {
        const std::string bytes = ReadFileBytes(files.order);
        if (bytes != record[0] && bytes != record[1] && ++counts.torn == 1)
            counts.problems += "; first torn " + when;
        if (Mode(files.order) != mode)
            ++counts.modeChanges;
        if (scenario.path == Path::HardLinks && fs::hard_link_count(files.order) != 2)
            counts.problems += "; the hard link was broken " + when;
        return bytes;
    };

    if (!race) {
        // Half the kills fall anywhere in a run's life, half after its start-up, while it saves:
        // the start-up alone and a whole save measured from clean runs.
        const auto lifeOf = [&](bool save) {
            const auto start = std::chrono::steady_clock::now();
            for (int n = 0; n < 4; ++n)
                Wait(Spawn(files, n % 2 == 1, files.errors[0], save));
            return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                         start)
                       .count() /
                   4;
        };
        const long startUp = lifeOf(false);
        const long whole = std::max(lifeOf(true), startUp + 1);
        std::uniform_int_distribution<long> anyMoment(0, whole * 12 / 10);
        std::uniform_int_distribution<long> savingMoment(startUp * 9 / 10, whole * 11 / 10);
        std::set<std::string> seen;
        for (int round = 0; counts.kills < kKillsPerPath && round < 20 * kKillsPerPath; ++round) {
            const pid_t pid = Spawn(files, round % 2 == 1, files.errors[0]);
            if (pid < 0)
                return "cannot start " KITBUILDER_CLI;
            ::usleep(static_cast<useconds_t>(random() % 2 == 0 ? anyMoment(random) : savingMoment(random)));
            ::kill(pid, SIGKILL);
            const int status = Wait(pid);
            if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                ++counts.kills;
            else if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                ++counts.completedRuns;
            else
                counts.problems += "; a save failed: " + ReadFileBytes(files.errors[0]);
            // The next start completes what the kill interrupted.
            for (const std::string& message : CompleteInterruptedSaves()) {
                if (message.find("completed from its journal") != std::string::npos)
                    ++counts.journalsCompleted;
                else
                    counts.problems += "; " + message;
            }
            checkFile("after kill " + std::to_string(counts.kills));
            // A minute passes for what the kill left; the next save then removes it.
            for (const std::string& left : Temporaries(folder)) {
                if (seen.insert(left).second)
                    ++counts.leftoversSeen;
                AgeFile(left, 120);
            }
            for (const std::string& left : Temporaries(root / "state" / "vk72-configurator"))
                AgeFile(left, 120);
        }
        const int status = Wait(Spawn(files, false, files.errors[0]));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            counts.problems += "; the save after the kills failed: " + ReadFileBytes(files.errors[0]);
        checkFile("after the last save");
        counts.leftoversAfterSave = static_cast<int>(Temporaries(folder).size());
        std::error_code ec;
        counts.leftoversAfterSave += static_cast<int>(std::distance(
            fs::directory_iterator(root / "state" / "vk72-configurator", ec), fs::directory_iterator()));
        return counts.Line(false);
    }

    for (int round = 0; round < kRaceRounds; ++round) {
        ++counts.rounds;
        const std::string before = ReadFileBytes(files.order);
        // Which record starts first changes from round to round.
        const bool firstLonger = random() % 2 == 1;
        pid_t pids[2];
        pids[0] = Spawn(files, firstLonger, files.errors[0]);
        pids[1] = Spawn(files, !firstLonger, files.errors[1]);
        bool saved[2];
        for (int w = 0; w < 2; ++w) {
            const int status = Wait(pids[w]);
            saved[w] = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (!saved[w]) {
                ++counts.failures;
                // Reported: a failing exit code and a message naming the file.
                if (ReadFileBytes(files.errors[w]).find("\"" + files.order + "\"") == std::string::npos)
                    ++counts.unreported;
            }
        }
        const std::string after = checkFile("in race round " + std::to_string(round));
        const std::string& first = record[firstLonger];
        const std::string& second = record[!firstLonger];
        counts.bothSaved += saved[0] && saved[1];
        if ((saved[0] && !saved[1] && after != first) || (!saved[0] && saved[1] && after != second) ||
            (!saved[0] && !saved[1] && after != before))
            ++counts.falseSuccesses;
    }
    counts.leftoversAfterSave = static_cast<int>(Temporaries(folder).size());
    return counts.Line(true);
}

class SaveInterruption : public ::testing::TestWithParam<std::tuple<Scenario, bool>> {};

TEST_P(SaveInterruption, EveryResultIsOneWholeRecord) {
    const auto& [scenario, race] = GetParam();
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::replace);
    dir.write("KITBUILDER.INI", kSmallCatalogue);
    const fs::path folder = scenario.path == Path::LockedFolder ? dir.path() / "shared" : dir.path();
    fs::create_directories(folder);
    const std::string order = (folder / "order.CST").string();
    dir.write(fs::relative(order, dir.path()).string(), OtherLines(race));
    // Modes the saves must keep: a shared order, a private one.
    fs::permissions(order, scenario.path == Path::LockedFolder
                               ? fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                     fs::perms::group_write | fs::perms::others_read | fs::perms::others_write
                               : fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (scenario.path == Path::HardLinks)
        fs::create_hard_link(order, dir.path() / "copy.CST");

    const unsigned seed = std::random_device{}();
    std::string result;
    if (scenario.path == Path::LockedFolder) {
        if (::geteuid() != 0)
            GTEST_SKIP() << "the locked folder needs a second user: run as root, which drops to nobody";
        // The user may write the file but not its folder.
        fs::permissions(folder,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::replace);
        result = InChildProcess(
            [&] {
                ::setenv("XDG_STATE_HOME", (dir.path() / "state").c_str(), 1);
                return RunScenario(scenario, dir.path(), race, seed);
            },
            true);
        if (result == "cannot drop privileges")
            GTEST_SKIP() << "running as root without the right to become another user";
    } else {
        const ScopedEnvironment state("XDG_STATE_HOME", (dir.path() / "state").string());
        result = RunScenario(scenario, dir.path(), race, seed);
    }
    if (result.starts_with("skip: "))
        GTEST_SKIP() << result.substr(6);
    std::cout << "[ figures  ] " << scenario.name << (race ? ", race: " : ", kills: ") << result << std::endl;
    RecordProperty("figures", result);
    // Every count of harm is zero; the kills and rounds are all there.
    std::vector<std::string> expected = {"torn 0,", "mode changes 0,", "leftovers after the next save 0"};
    if (race)
        expected.insert(expected.end(), {"unreported 0,", "false successes 0,",
                                         "rounds " + std::to_string(kRaceRounds) + ","});
    else
        expected.push_back("kills " + std::to_string(kKillsPerPath) + ",");
    for (const std::string& figure : expected)
        EXPECT_NE(result.find(figure), std::string::npos)
            << figure << " in " << result << " (seed " << seed << ")";
    EXPECT_TRUE(result.find("; ") == std::string::npos) << result << " (seed " << seed << ")";
}

INSTANTIATE_TEST_SUITE_P(Paths, SaveInterruption,
                         ::testing::Combine(::testing::ValuesIn(kScenarios), ::testing::Bool()),
                         [](const auto& info) {
                             const Path path = std::get<0>(info.param).path;
                             return std::string(path == Path::Rename         ? "Rename"
                                                : path == Path::LockedFolder ? "LockedFolder"
                                                                             : "HardLinks") +
                                    (std::get<1>(info.param) ? "Race" : "Kills");
                         });

} // namespace
