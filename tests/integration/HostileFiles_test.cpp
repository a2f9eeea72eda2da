// What a user's disk really holds, fed to every loader and writer: each case ends in the
// documented default or a message naming the file, never in a crash or a hang.
#include "core/config/ConfigurationCheck.h"
#include "core/customer/CustomerRecord.h"
#include "core/platform/TIniFile.h"
#include "core/session/Configurator.h"

#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kb;

namespace {

namespace fs = std::filesystem;

const std::string& SampleCatalogue() {
    static const std::string text = ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.INI");
    return text;
}

const std::string& SamplePrices() {
    static const std::string text = ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.PRS");
    return text;
}

std::string Garbage(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

std::string Replaced(const std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find(from, start)) != std::string::npos; start = pos + from.size())
        result.append(text, start, pos - start).append(to);
    return result.append(text, start);
}

std::vector<std::string> FolderListing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Permissions do not stop root, so a case about them runs in a child process as an
// unprivileged user when the tests run as root. The function returns what went wrong,
// or an empty text.
std::string AsUnprivilegedUser(const std::function<std::string()>& run) {
    if (::geteuid() != 0)
        return run();
    return InChildProcess(run, true);
}

// Whether the cases about permissions can run here: root can only test them where it may
// become another user.
bool PermissionsCanBeTested() {
    static const bool possible = AsUnprivilegedUser([] { return std::string(); }).empty();
    return possible;
}

// Cases about permissions, which root can only test where it may become another user.
class HostilePermissions : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!PermissionsCanBeTested())
            GTEST_SKIP() << "running as root without the right to become another user";
    }
};

// The unprivileged user must reach the files, not write beside them.
void OpenForOthers(const TempDir& dir) {
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::replace);
}

void ExpectSameCatalogue(const CatalogueSnapshot& actual, const CatalogueSnapshot& expected,
                         const std::string& name) {
    for (int slot = 0; slot < PartTable::kSlots; ++slot) {
        EXPECT_EQ(actual.parts[slot].orderNumber, expected.parts[slot].orderNumber)
            << name << " slot " << slot;
        EXPECT_EQ(actual.parts[slot].description, expected.parts[slot].description)
            << name << " slot " << slot;
        EXPECT_EQ(actual.parts[slot].price, expected.parts[slot].price) << name << " slot " << slot;
        EXPECT_EQ(actual.parts[slot].index, expected.parts[slot].index) << name << " slot " << slot;
    }
    EXPECT_EQ(actual.items, expected.items) << name;
    EXPECT_EQ(actual.version, expected.version) << name;
    EXPECT_EQ(actual.extensionCaption, expected.extensionCaption) << name;
}

const CatalogueSnapshot& CleanSample() {
    static const std::shared_ptr<const CatalogueSnapshot> catalogue = [] {
        TempDir dir;
        Configurator c;
        const LoadOutcome outcome = c.LoadCatalogue(dir.write("KITBUILDER.INI", SampleCatalogue()),
                                                    dir.write("KITBUILDER.PRS", SamplePrices()));
        EXPECT_EQ(outcome.result, LoadResult::Loaded) << outcome.detail;
        return c.snapshot();
    }();
    return *catalogue;
}

TEST(HostileCatalogue, DamagedCopiesOfTheSampleLoadAsTheSample) {
    const std::string& sample = SampleCatalogue();
    std::string oneMegabyte(1 << 20, 'x');
    std::string nulInComments;
    for (char c : sample) {
        nulInComments += c;
        if (c == ';')
            nulInComments += std::string("\0\0", 2);
    }
    std::string deepBrackets(1 << 20, '[');
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"CRLF endings", Replaced(sample, "\n", "\r\n")},
        {"CR-only endings", Replaced(sample, "\n", "\r")},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF" + sample},
        {"NUL bytes in comments", nulInComments},
        {"a comment line of a megabyte", "; " + oneMegabyte + "\n" + sample},
        {"a key line of a megabyte", "[Notes]\nText=" + oneMegabyte + "\n" + sample},
        {"a megabyte of '[' on one line", deepBrackets + "\n" + sample},
        {"many lines of '['", Replaced(std::string(100000, '\n'), "\n", "[[[[\n") + sample},
        {"an unclosed header before the sample", "[" + oneMegabyte + "\nk=v\n" + sample},
        {"every section repeated with other values", sample + "\n" + Replaced(sample, "=", "=9")},
        {"garbage after the sample", sample + "\n" + Garbage(100000, 7)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Configurator configurator;
        const LoadOutcome outcome = configurator.LoadCatalogue(dir.write("KITBUILDER.INI", c.text),
                                                               dir.write("KITBUILDER.PRS", SamplePrices()));
        ASSERT_EQ(outcome.result, LoadResult::Loaded) << c.name << ": " << outcome.detail;
        ExpectSameCatalogue(*configurator.snapshot(), CleanSample(), c.name);
        EXPECT_TRUE(configurator.StartUp(false).empty()) << c.name;
        EXPECT_EQ(configurator.checkResult(), CheckResult::Passed)
            << c.name << ": " << configurator.statusText();
    }
}

TEST(HostileCatalogue, FiftyMegabytesBeforeTheSampleLoadAsTheSample) {
    std::string keys;
    for (int key = 0; key < 20; ++key)
        keys += "Key" + std::to_string(key) + "=" + std::string(100, 'v') + "\n";
    std::string text;
    text.reserve(51 << 20);
    for (int section = 0; text.size() < (50u << 20); ++section)
        text.append("; filler\n[Filler").append(std::to_string(section)).append("]\n").append(keys);
    text += SampleCatalogue();
    TempDir dir;
    const std::string path = dir.write("KITBUILDER.INI", text);
    text.clear();
    ASSERT_GE(fs::file_size(path), 50u << 20);
    Configurator configurator;
    const LoadOutcome outcome = configurator.LoadCatalogue(path, dir.write("KITBUILDER.PRS", SamplePrices()));
    ASSERT_EQ(outcome.result, LoadResult::Loaded) << outcome.detail;
    ExpectSameCatalogue(*configurator.snapshot(), CleanSample(), "50 MB");
    EXPECT_TRUE(configurator.StartUp(false).empty());
    EXPECT_EQ(configurator.checkResult(), CheckResult::Passed) << configurator.statusText();
}

TEST(HostileCatalogue, FilesWithoutACatalogueGiveAnEmptyOne) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty file", ""},
        {"only a byte order mark", "\xEF\xBB\xBF"},
        {"binary garbage", Garbage(65536, 1)},
        {"NUL bytes only", std::string(4096, '\0')},
        {"only '[' characters", std::string(100000, '[')},
        {"only line endings", std::string(100000, '\r')},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Configurator configurator;
        const LoadOutcome outcome =
            configurator.LoadCatalogue(dir.write("KITBUILDER.INI", c.text), dir.file("KITBUILDER.PRS"));
        ASSERT_EQ(outcome.result, LoadResult::Loaded) << c.name;
        for (int slot = 0; slot < PartTable::kSlots; ++slot)
            EXPECT_TRUE((*configurator.snapshot()).parts[slot].orderNumber.empty())
                << c.name << " slot " << slot;
        EXPECT_EQ((*configurator.snapshot()).version, "???") << c.name;
        EXPECT_TRUE(configurator.StartUp(false).empty()) << c.name;
        EXPECT_EQ(configurator.checkResult(), CheckResult::Incomplete) << c.name;
        EXPECT_FALSE(configurator.CurrentIDCode().has_value()) << c.name;
    }
}

TEST_F(HostilePermissions, CataloguesThatCannotBeReadNameTheFile) {
    TempDir dir;
    OpenForOthers(dir);
    const std::string prices = dir.write("KITBUILDER.PRS", SamplePrices());
    const std::string folder = dir.file("folder.INI");
    fs::create_directory(folder);
    const std::string fifo = dir.file("fifo.INI");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string locked = dir.write("locked.INI", SampleCatalogue());
    fs::permissions(locked, fs::perms::none);

    for (const std::string& path : {folder, fifo, std::string("/dev/zero"), locked}) {
        const std::string problem = AsUnprivilegedUser([&] {
            Configurator configurator;
            const LoadOutcome outcome = configurator.LoadCatalogue(path, prices);
            if (outcome.result != LoadResult::CatalogueMissing)
                return "result " + std::to_string(static_cast<int>(outcome.result));
            const std::string text = Configurator::LoadFailureText(outcome);
            if (!text.starts_with(kCatalogueMissingText) ||
                text.find("\"" + path + "\"") == std::string::npos)
                return "message does not name the file: " + text;
            return std::string();
        });
        EXPECT_EQ(problem, "") << path;
    }
    EXPECT_EQ(ReadFileBytes(prices), SamplePrices());
}

// The sample's price file with one price replaced, or its line dropped when text is null.
std::string PricesWith(const std::string& orderNumber, const char* text) {
    std::string prices = SamplePrices();
    const std::string key = "\n" + orderNumber + "=";
    const std::size_t start = prices.find(key);
    EXPECT_NE(start, std::string::npos) << orderNumber;
    const std::size_t end = prices.find('\n', start + key.size());
    if (text)
        prices.replace(start + key.size(), end - start - key.size(), text);
    else
        prices.erase(start, end - start);
    return prices;
}

TEST(HostilePrices, EveryPriceMalformedInTurnStopsLoadingNamingItsOrderNumber) {
    // Malformed under the sample's decimal comma; null drops the price's line.
    const std::vector<const char*> malformed = {
        "",
        " ",
        "abc",
        "12.5",
        "1,2,3",
        "1 000",
        "12,",
        ",",
        ",5,",
        "--5",
        "+-5",
        "1e",
        "1e+",
        "1e999",
        "-1e999",
        "0x10",
        "12EUR",
        "EUR",
        "\"12",
        "12\"",
        "inf",
        "nan",
        "1,5e",
        "e5",
        "1_000",
        "1'000",
        "12;5",
        "\t",
        "\x80",
        "\xEF\xBB\xBF"
        "12",
        "\xC2\xBD",
        "1\x01",
        "9999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
        "9999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
        "9999999"
        "9999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
        "9999999"
        "9999999999999999999999999999999999999999999999999999999999999999999",
        nullptr,
    };
    std::vector<std::string> orderNumbers;
    for (int slot = 0; slot < PartTable::kSlots; ++slot)
        if (!CleanSample().parts[slot].orderNumber.empty())
            orderNumbers.push_back(CleanSample().parts[slot].orderNumber);
    ASSERT_FALSE(orderNumbers.empty());

    TempDir dir;
    const std::string catalogue = dir.write("KITBUILDER.INI", SampleCatalogue());
    const std::size_t rounds = std::max(orderNumbers.size(), malformed.size());
    for (std::size_t i = 0; i < rounds; ++i) {
        const std::string& orderNumber = orderNumbers[i % orderNumbers.size()];
        const char* text = malformed[i % malformed.size()];
        const std::string prices = dir.write("KITBUILDER.PRS", PricesWith(orderNumber, text));
        Configurator configurator;
        const LoadOutcome outcome = configurator.LoadCatalogue(catalogue, prices);
        const std::string shown = text ? text : "(no line)";
        EXPECT_EQ(outcome.result, LoadResult::BadPrice) << orderNumber << " = " << shown;
        EXPECT_NE(outcome.detail.find(orderNumber), std::string::npos) << shown << ": " << outcome.detail;
        EXPECT_NE(outcome.detail.find(prices), std::string::npos) << shown << ": " << outcome.detail;
        EXPECT_TRUE(Configurator::LoadFailureText(outcome).starts_with(kBadPriceText)) << shown;
    }
    EXPECT_EQ(ReadFileBytes(catalogue), SampleCatalogue());
}

TEST_F(HostilePermissions, PriceFilesWithoutPricesStopLoadingNamingTheFile) {
    TempDir dir;
    OpenForOthers(dir);
    const std::string catalogue = dir.write("KITBUILDER.INI", SampleCatalogue());
    const std::string folder = dir.file("folder.PRS");
    fs::create_directory(folder);
    const std::string locked = dir.write("locked.PRS", SamplePrices());
    fs::permissions(locked, fs::perms::none);
    const std::size_t prices = SamplePrices().find("[Prices]");
    ASSERT_NE(prices, std::string::npos);
    const std::pair<std::string, std::string> pricesSplit{SamplePrices().substr(0, prices),
                                                          SamplePrices().substr(prices)};
    // A file that holds no prices blames the first part's price; one that cannot be read says why.
    const std::string firstOrderNumber = CleanSample().parts[0].orderNumber;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.write("empty.PRS", ""), firstOrderNumber},
        {dir.write("garbage.PRS", Garbage(65536, 2)), firstOrderNumber},
        {dir.write("nul.PRS", pricesSplit.first + Replaced(pricesSplit.second, "\n", std::string("\0\n", 2))),
         firstOrderNumber},
        {folder, "Cannot read \"" + folder + "\""},
        {locked, "Cannot read \"" + locked + "\""},
    };
    for (const auto& [path, detail] : cases) {
        const std::string problem = AsUnprivilegedUser([&, &path = path, &detail = detail] {
            Configurator configurator;
            const LoadOutcome outcome = configurator.LoadCatalogue(catalogue, path);
            if (outcome.result != LoadResult::BadPrice)
                return "result " + std::to_string(static_cast<int>(outcome.result));
            if (outcome.detail.find(path) == std::string::npos ||
                outcome.detail.find(detail) == std::string::npos)
                return "the detail does not name the file and the reason: " + outcome.detail;
            return std::string();
        });
        EXPECT_EQ(problem, "") << path;
    }
}

TEST(HostilePrices, DamagedCopiesOfTheSamplePricesLoadAsTheSample) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"CRLF endings", Replaced(SamplePrices(), "\n", "\r\n")},
        {"CR-only endings", Replaced(SamplePrices(), "\n", "\r")},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF" + SamplePrices()},
        {"a line of a megabyte", "; " + std::string(1 << 20, 'p') + "\n" + SamplePrices()},
        {"sections repeated", SamplePrices() + Replaced(SamplePrices(), "=", "=x")},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Configurator configurator;
        const LoadOutcome outcome = configurator.LoadCatalogue(dir.write("KITBUILDER.INI", SampleCatalogue()),
                                                               dir.write("KITBUILDER.PRS", c.text));
        ASSERT_EQ(outcome.result, LoadResult::Loaded) << c.name << ": " << outcome.detail;
        ExpectSameCatalogue(*configurator.snapshot(), CleanSample(), c.name);
        EXPECT_EQ((*configurator.snapshot()).currency, CleanSample().currency) << c.name;
        EXPECT_EQ((*configurator.snapshot()).decimalSeparator, CleanSample().decimalSeparator) << c.name;
    }
}

constexpr const char* kStandardCode = "VK72-1111x-1111x-00000-00000-11";

TEST(HostileCustomerFile, ReadsGiveTheRecordOrEmptyTexts) {
    const std::string megabyte(1 << 20, 'n');
    const struct {
        const char* name;
        std::string text;
        std::string name1;
    } cases[] = {
        {"empty file", "", ""},
        {"binary garbage", Garbage(65536, 3), ""},
        {"NUL bytes only", std::string(1000, '\0'), ""},
        {"CR-only endings", "[Data]\rName1=Smith\rCity=Graz\r", "Smith"},
        {"CRLF endings", "[Data]\r\nName1=Smith\r\n", "Smith"},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[Data]\nName1=Smith\n", "Smith"},
        {"NUL inside the value", std::string("[Data]\nName1=Sm\0th\n", 19), std::string("Sm\0th", 5)},
        {"section repeated", "[Data]\nName1=Smith\n[Data]\nName1=Jones\n", "Smith"},
        {"deep brackets", std::string(100000, '[') + "\n[Data]\nName1=Smith\n", "Smith"},
        {"a value of a megabyte", "[Data]\nName1=" + megabyte + "\n",
         megabyte.substr(0, TIniFile::kMaxValueLength)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const Result<CustomerRecord> record = ReadCustomerFile(dir.write("order.CST", c.text));
        ASSERT_TRUE(record.has_value()) << c.name << ": " << record.error().message;
        EXPECT_EQ((*record)[CustomerRecord::Name1], c.name1) << c.name;
    }
}

TEST(HostileCustomerFile, OpeningKeepsTheConfigurationValid) {
    const struct {
        const char* name;
        std::string code;
        bool message; // a message about the code
    } cases[] = {
        {"no code", "", false},
        {"the standard code", kStandardCode, false},
        {"too short", "VK72-11", true},
        {"bytes above 127", "VK72-" + std::string(40, '\xFF'), false},
        {"NUL bytes", "VK72-" + std::string(40, '\0'), false},
        {"a code of a megabyte", "VK72-" + std::string(1 << 20, '9'), false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        Configurator configurator;
        ASSERT_EQ(configurator
                      .LoadCatalogue(dir.write("KITBUILDER.INI", SampleCatalogue()),
                                     dir.write("KITBUILDER.PRS", SamplePrices()))
                      .result,
                  LoadResult::Loaded);
        configurator.StartUp(false);
        const std::string path = dir.write("order.CST", "[Data]\nName1=Smith\nCode=" + c.code + "\n");
        const auto messages = configurator.OpenCustomerFile(path);
        EXPECT_EQ(!messages.empty(), c.message) << c.name;
        EXPECT_EQ(configurator.customerFile(), path) << c.name;
        EXPECT_EQ(configurator.customer()[CustomerRecord::Name1], "Smith") << c.name;
        for (const auto& info : AllGroups()) {
            const int index = configurator.choice()[info.group];
            EXPECT_TRUE(index >= -1 && index < configurator.snapshot()->Count(info.group)) << c.name;
        }
    }
}

TEST_F(HostilePermissions, UnreadableFilesGiveAMessageNamingThem) {
    TempDir dir;
    OpenForOthers(dir);
    const std::string folder = dir.file("folder.CST");
    fs::create_directory(folder);
    const std::string locked = dir.write("locked.CST", "[Data]\nName1=Smith\n");
    fs::permissions(locked, fs::perms::none);
    const std::string fifo = dir.file("fifo.CST");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string catalogue = dir.write("KITBUILDER.INI", SampleCatalogue());
    const std::string prices = dir.write("KITBUILDER.PRS", SamplePrices());

    for (const std::string& path : {folder, locked, fifo}) {
        const std::string problem = AsUnprivilegedUser([&]() -> std::string {
            const Result<CustomerRecord> read = ReadCustomerFile(path);
            const std::string error = read ? std::string("read") : read.error().message;
            if (error.find("\"" + path + "\"") == std::string::npos)
                return "ReadCustomerFile: " + error;
            Configurator configurator;
            configurator.LoadCatalogue(catalogue, prices);
            configurator.SetCustomerFile(dir.file("previous.CST"));
            const auto messages = configurator.OpenCustomerFile(path);
            if (messages.size() != 1 || messages[0].kind != Message::Kind::Error ||
                messages[0].text.find("\"" + path + "\"") == std::string::npos)
                return std::string("OpenCustomerFile gives no error naming the file");
            if (configurator.customerFile() != dir.file("previous.CST"))
                return "the current customer file changed to " + configurator.customerFile();
            return std::string();
        });
        EXPECT_EQ(problem, "") << path;
    }
}

TEST_F(HostilePermissions, RefusedWritesNameTheFileAndChangeNothing) {
    TempDir dir;
    OpenForOthers(dir);
    const std::string customerText = "; order of 3 May\n[Data]\nName1=Smith\nCode=VK72-x\n";
    const std::string readOnlyCustomer = dir.write("readonly.CST", customerText);
    fs::permissions(readOnlyCustomer, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string folderCustomer = dir.file("folder.CST");
    fs::create_directory(folderCustomer);
    const std::string lockedFolder = dir.file("locked");
    fs::create_directory(lockedFolder);
    const std::string inLockedFolder = (fs::path(lockedFolder) / "new.CST").string();
    fs::permissions(lockedFolder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
    const std::string inMissingFolder = dir.file("missing/new.CST");

    CustomerRecord record;
    record[CustomerRecord::Name1] = "Jones";
    record[CustomerRecord::Code] = kStandardCode;
    for (const std::string& path : {readOnlyCustomer, folderCustomer, inLockedFolder, inMissingFolder}) {
        const auto before = FolderListing(dir.path());
        const std::string problem = AsUnprivilegedUser([&]() -> std::string {
            const Result<void> written = ::WriteCustomerFile(path, record);
            if (written)
                return "WriteCustomerFile succeeded";
            const std::string& error = written.error().message;
            if (error.find("\"" + path + "\"") == std::string::npos)
                return "WriteCustomerFile: " + error;
            Configurator configurator;
            configurator.SetCustomerFile(path);
            const auto failure = configurator.SaveToCustomerFile();
            if (!failure || failure->kind != Message::Kind::Error ||
                failure->text.find("\"" + path + "\"") == std::string::npos)
                return std::string("Configurator::WriteCustomerFile gives no error naming the file");
            return std::string();
        });
        EXPECT_EQ(problem, "") << path;
        EXPECT_EQ(FolderListing(dir.path()), before) << path;
        EXPECT_TRUE(fs::is_empty(lockedFolder)) << path;
    }
    EXPECT_EQ(ReadFileBytes(readOnlyCustomer), customerText);
    EXPECT_TRUE(fs::is_directory(folderCustomer) && fs::is_empty(folderCustomer));
}

TEST_F(HostilePermissions, SettingsOfAReadOnlyCatalogueStayAsTheyWere) {
    TempDir dir;
    OpenForOthers(dir);
    const std::string catalogue = dir.write("KITBUILDER.INI", SampleCatalogue());
    const std::string prices = dir.write("KITBUILDER.PRS", SamplePrices());
    fs::permissions(catalogue, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto before = FolderListing(dir.path());

    const std::vector<std::pair<const char*, std::function<std::optional<Message>(Configurator&)>>> commands =
        {
            {"ShowPricesClick", [](Configurator& c) { return c.ShowPricesClick(); }},
            {"SetStdConfigExecute", [](Configurator& c) { return c.SetStdConfigExecute(); }},
            {"LanguageClick", [](Configurator& c) { return c.LanguageClick(3); }},
        };
    for (const auto& [name, command] : commands) {
        const std::string problem = AsUnprivilegedUser([&, &command = command]() -> std::string {
            Configurator configurator;
            if (configurator.LoadCatalogue(catalogue, prices).result != LoadResult::Loaded)
                return std::string("the catalogue does not load");
            if (!configurator.StartUp(true).empty())
                return std::string("start-up wanted to write");
            const bool showPrices = configurator.showPricesChecked();
            const bool standard = configurator.standardConfigurationChecked();
            const int language = configurator.checkedLanguage();
            const auto failure = command(configurator);
            if (!failure || failure->kind != Message::Kind::Error ||
                failure->text.find("\"" + catalogue + "\"") == std::string::npos)
                return std::string("no error naming the catalogue");
            if (configurator.showPricesChecked() != showPrices ||
                configurator.standardConfigurationChecked() != standard ||
                configurator.checkedLanguage() != language)
                return std::string("a check mark changed although nothing was stored");
            return std::string();
        });
        EXPECT_EQ(problem, "") << name;
        EXPECT_EQ(ReadFileBytes(catalogue), SampleCatalogue()) << name;
        EXPECT_EQ(FolderListing(dir.path()), before) << name;
    }
}

TEST_F(HostilePermissions, AReadOnlyCatalogueKeepsItsSettingsPerUser) {
    TempDir dir;
    OpenForOthers(dir);
    const std::string catalogue = dir.write("KITBUILDER.INI", SampleCatalogue());
    const std::string prices = dir.write("KITBUILDER.PRS", SamplePrices());
    fs::permissions(catalogue, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string user = (dir.path() / "config/vk72-configurator/settings.ini").string();
    const std::string lockedUser = (dir.path() / "locked/vk72-configurator/settings.ini").string();
    fs::create_directories(dir.path() / "config");
    fs::permissions(dir.path() / "config", fs::perms::all, fs::perm_options::replace);
    fs::create_directories(dir.path() / "locked");
    const std::string badUser = (dir.path() / "bad/settings.ini").string();
    fs::create_directories(dir.path() / "bad");
    dir.write("bad/settings.ini", "[General]\nShowPrices=off\n");

    const std::string problem = AsUnprivilegedUser([&]() -> std::string {
        const auto start = [&](Configurator& c, const std::string& settings) {
            c.SetUserSettingsFile(settings);
            return c.LoadCatalogue(catalogue, prices).result == LoadResult::Loaded && c.StartUp(true).empty();
        };
        Configurator first;
        if (!start(first, user) || !first.priceBoxVisible())
            return std::string("the first start failed or hid the prices");
        if (first.ShowPricesClick() || first.showPricesChecked() || first.priceBoxVisible())
            return std::string("the price display could not be switched off");
        if (first.LanguageClick(3) || first.SetStdConfigExecute())
            return std::string("a setting could not be stored");
        if (TIniFile(user).ReadString("General", "ShowPrices", "") != "0")
            return std::string("the per-user file does not hold ShowPrices=0");

        Configurator second;
        if (!start(second, user))
            return std::string("the second start failed");
        if (second.showPricesChecked() || second.priceBoxVisible() || second.checkedLanguage() != 3 ||
            second.standardConfigurationChecked() != first.standardConfigurationChecked() ||
            second.settingsFile() != user)
            return std::string("the second start does not show the stored settings");

        // A settings folder the user cannot write: the error names the file, nothing changes.
        Configurator third;
        if (!start(third, lockedUser))
            return std::string("the start with a locked settings folder failed");
        const auto failure = third.ShowPricesClick();
        if (!failure || failure->text.find(lockedUser) == std::string::npos || !third.showPricesChecked())
            return std::string("a failed write is not reported with the settings file's name");

        // A value that is no number: one warning at start naming the file, the catalogue's value.
        Configurator fourth;
        fourth.SetUserSettingsFile(badUser);
        if (fourth.LoadCatalogue(catalogue, prices).result != LoadResult::Loaded)
            return std::string("the start with a damaged settings file failed");
        const auto messages = fourth.StartUp(true);
        if (messages.size() != 1 || messages[0].kind != Message::Kind::Warning ||
            messages[0].text.find("\"" + badUser + "\"") == std::string::npos || !fourth.showPricesChecked())
            return std::string("a damaged settings file is not named once, or its value was used");
        return std::string();
    });
    EXPECT_EQ(problem, "");
    EXPECT_EQ(ReadFileBytes(catalogue), SampleCatalogue());
    EXPECT_FALSE(fs::exists(lockedUser));
}

TEST(HostileWrites, WritesIntoDamagedFilesKeepEveryOtherByte) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty file", ""},
        {"binary garbage", Garbage(4096, 4)},
        {"NUL bytes", std::string(100, '\0')},
        {"CR-only endings", "[General]\rVersion=1\r"},
        {"byte order mark only", "\xEF\xBB\xBF"},
        {"a line of a megabyte without an ending", "; " + std::string(1 << 20, 'c')},
        {"deep brackets", std::string(100000, '[')},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.write("settings.ini", c.text);
        TIniFile ini(path);
        const Result<void> written = ini.WriteString("Data", "Name1", "Jones");
        ASSERT_TRUE(written.has_value()) << c.name << ": " << written.error().message;
        const std::string after = ReadFileBytes(path);
        EXPECT_TRUE(after.starts_with(c.text)) << c.name;
        EXPECT_EQ(TIniFile(path).ReadString("Data", "Name1", ""), "Jones") << c.name;
        EXPECT_EQ(FolderListing(dir.path()), std::vector<std::string>{"settings.ini"}) << c.name;
    }
}

} // namespace
