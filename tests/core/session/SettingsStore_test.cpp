#include "core/session/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "TestFiles.h"
#include "core/catalogue/Catalogue.h"
#include "core/platform/TIniFile.h"

using namespace kb;

namespace fs = std::filesystem;

namespace {

const std::string kCatalogue =
    "[General]\r\nVersion=T1\r\nShowPrices=1\r\nUseStdConfig=1\r\nOSStdLanguage=1\r\n";

StoredSettings CatalogueWithPrices(bool pricesPresent = true) {
    StoredSettings c;
    c.showPrices = pricesPresent;
    c.useStdConfig = true;
    c.osStdLanguage = 1;
    return c;
}

} // namespace

TEST(UserSettingsPath, FollowsTheBaseDirectoryRules) {
    const struct {
        const char* xdg;
        const char* home;
        std::string expected;
    } cases[] = {
        {"/srv/cfg", "/home/ann", "/srv/cfg/vk72-configurator/settings.ini"},
        {"/srv/cfg/", "/home/ann", "/srv/cfg/vk72-configurator/settings.ini"},
        {nullptr, "/home/ann", "/home/ann/.config/vk72-configurator/settings.ini"},
        {"", "/home/ann/", "/home/ann/.config/vk72-configurator/settings.ini"},
        {"relative/cfg", "/home/ann", "/home/ann/.config/vk72-configurator/settings.ini"},
        {"~/cfg", "/home/ann", "/home/ann/.config/vk72-configurator/settings.ini"},
        {"relative/cfg", nullptr, ""},
        {nullptr, "home/ann", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UserSettingsPath(c.xdg, c.home), c.expected)
            << (c.xdg ? c.xdg : "(unset)") << " / " << (c.home ? c.home : "(unset)");

    // Started without HOME, the account's home folder still gives a per-user file.
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    const std::string fromAccount = UserSettingsPath();
    if (home)
        ::setenv("HOME", savedHome.c_str(), 1);
    if (xdg)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    EXPECT_TRUE(fromAccount.starts_with("/") &&
                fromAccount.ends_with("/.config/vk72-configurator/settings.ini"))
        << fromAccount;
}

TEST(SettingsStore, PerUserValuesWinOverTheCatalogue) {
    const struct {
        const char* name;
        std::string userText; // empty: no file
        bool pricesPresent;
        bool showPrices;
        bool useStdConfig;
        int language;
        std::string warning; // part of the warning; empty: none
    } cases[] = {
        {"no per-user file", "", true, true, true, 1, ""},
        {"one key", "[General]\nShowPrices=0\n", true, false, true, 1, ""},
        {"all keys, other case, CRLF", "[general]\r\nshowprices=0\r\nUSESTDCONFIG=0\r\nOSStdLanguage=4\r\n",
         true, false, false, 4, ""},
        {"no price file: prices stay off", "[General]\nShowPrices=1\n", false, false, true, 1, ""},
        {"a value that is no number", "[General]\nShowPrices=maybe\nOSStdLanguage=3\n", true, true, true, 3,
         "(ShowPrices=maybe)"},
        {"other sections only", "[Data]\nShowPrices=0\n", true, true, true, 1, ""},
        {"binary garbage", std::string("\x00\xff[\x01=\n\x7f", 6), true, true, true, 1, ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string catalogue = dir.write("KITBUILDER.INI", kCatalogue);
        const std::string user = dir.file("cfg/settings.ini");
        if (!c.userText.empty()) {
            fs::create_directories(dir.path() / "cfg");
            dir.write("cfg/settings.ini", c.userText);
        }
        StoredSettings loaded = CatalogueWithPrices(c.pricesPresent);
        const auto warning = SettingsStore(catalogue, user, true).Overlay(loaded, c.pricesPresent);
        EXPECT_EQ(loaded.showPrices, c.showPrices) << c.name;
        EXPECT_EQ(loaded.useStdConfig, c.useStdConfig) << c.name;
        EXPECT_EQ(loaded.osStdLanguage, c.language) << c.name;
        if (c.warning.empty()) {
            EXPECT_FALSE(warning.has_value()) << c.name << ": " << warning->text;
        } else {
            ASSERT_TRUE(warning.has_value()) << c.name;
            EXPECT_EQ(warning->kind, Message::Kind::Warning);
            EXPECT_NE(warning->text.find("\"" + user + "\""), std::string::npos) << warning->text;
            EXPECT_NE(warning->text.find(c.warning), std::string::npos) << warning->text;
        }
        EXPECT_EQ(ReadFileBytes(catalogue), kCatalogue) << c.name;
    }
}

TEST(SettingsStore, AFolderInPlaceOfTheFileLeavesTheCatalogueValues) {
    TempDir dir;
    const std::string catalogue = dir.write("KITBUILDER.INI", kCatalogue);
    const std::string user = dir.file("settings.ini");
    fs::create_directories(user);
    StoredSettings loaded = CatalogueWithPrices();
    SettingsStore store(catalogue, user, true);
    const auto warning = store.Overlay(loaded, true);
    ASSERT_TRUE(warning.has_value());
    EXPECT_NE(warning->text.find("\"" + user + "\""), std::string::npos) << warning->text;
    EXPECT_TRUE(loaded.showPrices);

    // Writing there fails with a message that names the file, and nothing else changes.
    const Result<void> written = store.WriteBool("ShowPrices", false);
    ASSERT_FALSE(written.has_value());
    EXPECT_NE(written.error().message.find(user), std::string::npos) << written.error().message;
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_EQ(ReadFileBytes(catalogue), kCatalogue);
}

TEST(SettingsStore, PerUserWritesMakeAPrivateFolderAndLeaveTheCatalogue) {
    TempDir dir;
    const std::string catalogue = dir.write("KITBUILDER.INI", kCatalogue);
    const std::string user = dir.file("home/.config/vk72-configurator/settings.ini");
    SettingsStore store(catalogue, user, true);
    EXPECT_EQ(store.target(), user);

    ASSERT_TRUE(store.WriteBool("ShowPrices", false).has_value());
    ASSERT_TRUE(store.WriteInteger("OSStdLanguage", 5).has_value());
    EXPECT_EQ(ReadFileBytes(catalogue), kCatalogue);
    EXPECT_EQ(TIniFile(user).ReadString("General", "ShowPrices", ""), "0");
    EXPECT_FALSE(store.ReadBool("ShowPrices", true));
    EXPECT_TRUE(store.ReadBool("UseStdConfig", false)) << "a key the user never set comes from the catalogue";
    const auto mode = fs::status(fs::path(user).parent_path()).permissions();
    EXPECT_EQ(mode & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);

    // The next start reads them back.
    StoredSettings loaded = CatalogueWithPrices();
    EXPECT_FALSE(SettingsStore(catalogue, user, true).Overlay(loaded, true).has_value());
    EXPECT_FALSE(loaded.showPrices);
    EXPECT_EQ(loaded.osStdLanguage, 5);

    // A file where the folder should be: the write fails and names the settings file.
    const std::string blocked = dir.write("plain", "x") + "/vk72-configurator/settings.ini";
    SettingsStore nowhere(catalogue, blocked, true);
    const Result<void> refused = nowhere.WriteBool("ShowPrices", true);
    ASSERT_FALSE(refused.has_value());
    EXPECT_NE(refused.error().message.find(blocked), std::string::npos) << refused.error().message;
}

TEST(SettingsStore, AWritableCatalogueKeepsItsSettingsAndNoUserFileIsMade) {
    TempDir dir;
    const std::string catalogue = dir.write("KITBUILDER.INI", kCatalogue);
    const std::string user = dir.file("cfg/settings.ini");
    SettingsStore store(catalogue, user);
    ASSERT_TRUE(SettingsStore::CanReplace(catalogue));
    EXPECT_FALSE(store.perUser());
    ASSERT_TRUE(store.WriteBool("ShowPrices", false).has_value());
    EXPECT_EQ(TIniFile(catalogue).ReadString("General", "ShowPrices", ""), "0");
    EXPECT_FALSE(fs::exists(dir.path() / "cfg"));

    // Without a per-user file there is never another place, writable or not.
    EXPECT_FALSE(SettingsStore(catalogue, "", true).perUser());
    EXPECT_FALSE(SettingsStore::CanReplace(dir.file("missing/KITBUILDER.INI")));
}

TEST(SettingsStore, AnInstalledCatalogueIsNeverWrittenEvenWhenWritable) {
    TempDir dir;
    fs::create_directories(dir.path() / "root/usr/lib/vk72-configurator");
    fs::create_directories(dir.path() / "portable");
    fs::create_symlink(dir.path() / "root/usr/lib/vk72-configurator", dir.path() / "linked");
    const struct {
        std::string catalogue;
        bool installed;
    } cases[] = {
        {"/usr/lib/vk72-configurator/KITBUILDER.INI", true},
        {"/usr/local/lib/vk72-configurator/KITBUILDER.INI", true},
        {"/opt/vk72-configurator-2.0-portable/KITBUILDER.INI", true},
        {dir.file("root/usr/lib/vk72-configurator/KITBUILDER.INI"), true},
        {dir.file("linked/KITBUILDER.INI"), true},
        {dir.file("portable/KITBUILDER.INI"), false},
        {dir.file("root/usr/lib/vk72-configurator/../../../portable/KITBUILDER.INI"), false},
        {dir.file("lib/vk72-configurator-old/KITBUILDER.INI"), false},
        {"/usrdata/lib/KITBUILDER.INI", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsStore::InstalledCopy(c.catalogue), c.installed) << c.catalogue;

    // Writable as it is to root, the installed catalogue keeps its bytes; the user file gets the value.
    const std::string catalogue = dir.write("root/usr/lib/vk72-configurator/KITBUILDER.INI", kCatalogue);
    const std::string user = dir.file("home/settings.ini");
    ASSERT_TRUE(SettingsStore::CanReplace(catalogue));
    SettingsStore store(catalogue, user);
    EXPECT_TRUE(store.perUser());
    ASSERT_TRUE(store.WriteBool("UseStdConfig", false).has_value());
    EXPECT_EQ(ReadFileBytes(catalogue), kCatalogue);
    EXPECT_EQ(TIniFile(user).ReadString("General", "UseStdConfig", ""), "0");
}
