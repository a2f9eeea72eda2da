#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "TestFiles.h"

// The companion's man page against its --help: the commands, the options and the exit codes
// each text names must be the same, so a command added to one and not the other fails here.
namespace {

using Names = std::set<std::string>;

std::string HelpText() {
    std::string text;
    FILE* pipe = ::popen((std::string(KITBUILDER_CLI) + " --help").c_str(), "r");
    if (pipe == nullptr)
        return text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    ::pclose(pipe);
    return text;
}

struct Listed {
    Names commands, options, exitCodes, longOptionsAnywhere;
};

Names LongOptions(const std::string& text) {
    Names found;
    static const std::regex option(R"((?:^|[^\w-])(--[a-z][a-z-]*))");
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

// The help's blocks: a heading line ending in ':', then entries indented by two blanks, whose
// first word is the name; deeper lines continue an entry.
Listed FromHelp(const std::string& help) {
    Listed listed;
    std::istringstream lines(help);
    std::string line, block;
    static const std::regex entry(R"(^  (\S+)(.*)$)");
    static const std::regex shortOrLong(R"(^(-[a-z]|--[a-z][a-z-]*)(?:, (--[a-z][a-z-]*))?)");
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ' && line.back() == ':') {
            block = line;
            continue;
        }
        if (line.empty() || line[0] != ' ') {
            block.clear();
            continue;
        }
        std::smatch m;
        if (!std::regex_match(line, m, entry))
            continue;
        if (block == "Commands:") {
            listed.commands.insert(m[1]);
        } else if (block == "Exit codes:") {
            listed.exitCodes.insert(m[1]);
        } else if (block == "Options:") {
            const std::string names = line.substr(2);
            std::smatch o;
            if (std::regex_search(names, o, shortOrLong)) {
                listed.options.insert(o[1]);
                if (o[2].matched)
                    listed.options.insert(o[2]);
            }
        }
    }
    listed.longOptionsAnywhere = LongOptions(help);
    return listed;
}

// Roff without its font changes and quotes: "\-\-rtf" reads "--rtf".
std::string Plain(std::string text) {
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    text = std::regex_replace(text, std::regex(R"(\\\(dq|")"), " ");
    return text;
}

// The page's sections COMMANDS, OPTIONS and EXIT STATUS: each ".TP" tag line names an entry.
Listed FromManPage(const std::string& page) {
    Listed listed;
    std::istringstream lines(page);
    std::string line, section;
    bool tag = false;
    static const std::regex macro(R"(^(?:\.(?:BI|BR|IR|RB|RI|B|I)\s+)?(.*)$)");
    std::string plainPage;
    while (std::getline(lines, line)) {
        if (line.rfind(".\\\"", 0) == 0)
            continue;
        plainPage += Plain(line) + "\n";
        if (line.rfind(".SH ", 0) == 0) {
            section = Plain(line.substr(4));
            section.erase(0, section.find_first_not_of(' '));
            section.erase(section.find_last_not_of(' ') + 1);
            tag = false;
            continue;
        }
        if (line == ".TP") {
            tag = true;
            continue;
        }
        if (!tag)
            continue;
        tag = false;
        std::smatch m;
        if (!std::regex_match(line, m, macro))
            continue;
        std::istringstream words(Plain(m[1]));
        std::string first;
        words >> first;
        if (section == "COMMANDS" || section == "EXIT STATUS") {
            (section == "COMMANDS" ? listed.commands : listed.exitCodes).insert(first);
        } else if (section == "OPTIONS") {
            for (std::string word = first; !word.empty(); word.clear(), words >> word) {
                if (!word.empty() && word.back() == ',')
                    word.pop_back();
                if (word.rfind("-", 0) == 0)
                    listed.options.insert(word);
            }
        }
    }
    listed.longOptionsAnywhere = LongOptions(plainPage);
    return listed;
}

std::string Missing(const Names& wanted, const Names& present) {
    std::string missing;
    for (const std::string& name : wanted)
        if (!present.contains(name))
            missing += (missing.empty() ? "" : ", ") + name;
    return missing;
}

TEST(ManPage, NamesWhatTheHelpNames) {
    const std::string help = HelpText();
    const std::string page = ReadFileBytes(KITBUILDER_SOURCE_DIR "/packaging/kitbuilder-cli.1");
    ASSERT_FALSE(page.empty());
    const Listed fromHelp = FromHelp(help);
    const Listed fromPage = FromManPage(page);
    // The parsers find something: a help text or page of another shape fails rather than passes.
    for (const Listed* listed : {&fromHelp, &fromPage})
        ASSERT_TRUE(!listed->commands.empty() && !listed->options.empty() && !listed->exitCodes.empty())
            << (listed == &fromHelp ? help : page);

    const struct {
        const char* what;
        const Names& help;
        const Names& page;
    } lists[] = {
        {"commands", fromHelp.commands, fromPage.commands},
        {"options", fromHelp.options, fromPage.options},
        {"exit codes", fromHelp.exitCodes, fromPage.exitCodes},
    };
    for (const auto& list : lists) {
        EXPECT_EQ(Missing(list.help, list.page), "") << list.what << " in --help but not in kitbuilder-cli.1";
        EXPECT_EQ(Missing(list.page, list.help), "") << list.what << " in kitbuilder-cli.1 but not in --help";
    }
    // A command's own options (orderlist --rtf) are described with the command.
    EXPECT_EQ(Missing(fromHelp.longOptionsAnywhere, fromPage.longOptionsAnywhere), "")
        << "options in --help but nowhere in kitbuilder-cli.1";
}

} // namespace
