#include "core/idcode/IDCode.h"

#include "TestFiles.h"
#include "TypedCodes.h"
#include "core/catalogue/PartTable.h"
#include "core/session/Configurator.h"

#include <gtest/gtest.h>

#include <list>
#include <vector>

using namespace kb;

namespace {

// ID-code characters: housings 1 2, power 1 2, CPU 1, RAM 1 2 3, OS 1, card 1, HMI A B,
// modules C D P(rofibus) A1 K L M, displays E G, cables F H. X4 has Profibus as entry 3,
// X9 as entry 6, as the Profibus completion expects.
std::string ExampleCatalogue(const std::string& displayGIndex = "G") {
    return "[General]\nUseStdConfig=1\nOSStdLanguage=0\n"
           "[OrderNumbers]\n0=101\n1=102\n2=201\n3=202\n4=301\n5=401\n6=402\n7=403\n8=500\n9=600\n10=701\n"
           "11=702\n12=801\n13=802\n14=803\n15=804\n16=805\n17=806\n18=807\n19=901\n20=902\n21=951\n22=952\n"
           "[Descriptions]\n101=Housing one\n102=Housing two\n201=Power one\n202=Power two\n301=CPU one\n"
           "401=RAM one\n402=RAM two\n403=RAM three\n500=OS one\n600=Card\n701=Panel\n702=Monitor\n"
           "801=Module C\n802=Module D\n803=Profibus\n804=Module A1\n805=Module K\n806=Module L\n"
           "807=Module M\n901=Display E\n902=Display G\n951=Cable F\n952=Cable H\n"
           "[Index]\n101=1\n102=2\n201=1\n202=2\n301=1\n401=1\n402=2\n403=3\n500=1\n600=1\n701=A\n702=B\n"
           "801=C\n802=D\n803=P\n804=A1\n805=K\n806=L\n807=M\n901=E\n902=" +
           displayGIndex +
           "\n951=F\n952=H\n"
           "[Housing]\n0=101\n1=102\n[Power]\n0=201\n1=202\n[CPU]\n0=301\n[RAM]\n0=401\n1=402\n2=403\n"
           "[OperatingSystem]\n0=500\n[OSLanguages]\n0=german\n1=english\n2=french\n[Extension]\n0=600\n"
           "[HMI]\n0=701\n1=702\n[X1]\n0=801\n1=804\n[X2]\n0=801\n[X3]\n0=801\n[X4]\n0=801\n1=802\n2=803\n"
           "[X5]\n0=801\n[X6]\n0=802\n1=801\n[X7]\n0=801\n[X8]\n0=801\n"
           "[X9]\n0=801\n1=802\n2=805\n3=806\n4=807\n5=803\n[X10]\n0=801\n"
           "[Display]\n0=901\n1=902\n[HMICable]\n0=951\n1=952\n";
}

// Every selection the code can carry, in one comparable value.
std::vector<int> Snapshot(const Choice& s) {
    std::vector<int> state(s.indexes.begin(), s.indexes.end());
    state.push_back(s.pciChecked);
    state.push_back(s.azoVisible);
    return state;
}

// A catalogue's entries and a choice in it, changed freely by a test.
struct Trial {
    CatalogueSnapshot catalogue;
    Choice choice;
};

class IDCodeTest : public ::testing::Test {
  protected:
    // A started configurator on the example catalogue: every group on entry 0.
    Configurator& Start(const std::string& catalogue = ExampleCatalogue()) {
        const std::string ini = m_dir.write("KITBUILDER.INI", catalogue);
        m_configurators.emplace_back();
        Configurator& c = m_configurators.back();
        EXPECT_EQ(c.LoadCatalogue(ini, m_dir.file("KITBUILDER.PRS")).result, LoadResult::Loaded);
        c.StartUp();
        return c;
    }

    static std::string Code(const Configurator& c) {
        const Result<std::string> encoded = c.CurrentIDCode();
        EXPECT_TRUE(encoded.has_value()) << encoded.error().message;
        return encoded ? *encoded : std::string();
    }

    TempDir m_dir;
    std::list<Configurator> m_configurators;
};

TEST_F(IDCodeTest, WorkedExampleEncodesAndShowsInTheOrderList) {
    Configurator& c = Start();
    c.UserSelect(Group::Housing, 1);
    c.UserSelect(Group::RAM, 2);
    c.UserSelect(Group::OSLanguage, 2);
    c.UserSelect(Group::X1, 1);
    c.UserSelect(Group::X6, 1);
    EXPECT_EQ(Code(c), "2113x-130Ax-C0000-D0000-EFx");

    const Result<OrderList> build = c.BuildOrderlist();
    ASSERT_TRUE(build.has_value()) << build.error().message;
    EXPECT_EQ(build->code, "VK72-2113x-130Ax-C0000-D0000-EFx");
    EXPECT_EQ(c.customer()[CustomerRecord::Code], "VK72-2113x-130Ax-C0000-D0000-EFx");
}

TEST_F(IDCodeTest, EncodingPlaces) {
    struct Case {
        const char* name;
        void (*change)(Configurator&);
        const char* code;
    };
    const Case cases[] = {
        {"standard", [](Configurator&) {}, "1111x-110Ax-00000-00000-EFx"},
        {"card checked", [](Configurator& c) { c.UserSetPCI(true); }, "1111x-111Ax-00000-00000-EFx"},
        {"no language", [](Configurator& c) { c.UserSelect(Group::OSLanguage, -1); },
         "1111x-100Ax-00000-00000-EFx"},
        {"second HMI hides display and cable", [](Configurator& c) { c.UserSelect(Group::HMI, 1); },
         "1111x-110Bx-00000-00000-00x"},
        {"Profibus counted once, on X9", [](Configurator& c) { c.UserSelect(Group::X9, 6); },
         "1111x-110Ax-00000-000P0-EFx"},
        {"two-character Index gives its first", [](Configurator& c) { c.UserSelect(Group::X1, 2); },
         "1111x-110Ax-A0000-00000-EFx"},
        {"every slot",
         [](Configurator& c) {
             for (int n = 1; n <= 10; ++n)
                 c.UserSelect(Slot(n), 1);
         },
         "1111x-110Ax-CCCCC-DCCCC-EFx"},
    };
    for (const Case& tc : cases) {
        Configurator& c = Start();
        tc.change(c);
        EXPECT_EQ(Code(c), tc.code) << tc.name;
    }
}

TEST(IDCodeEncode, TenthLanguageGivesItsFirstDigit) {
    Trial s;
    s.catalogue.Items(Group::OSLanguage).assign(10, "language");
    s.choice[Group::OSLanguage] = 9;
    s.catalogue.parts.Set(0, {"1", "T", "Part", "", "7"});
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS, Group::HMI, Group::Power,
                    Group::Display, Group::HMICable}) {
        s.catalogue.Items(g) = {"Part"};
        s.choice[g] = 0;
    }
    for (int n = 1; n <= 10; ++n) {
        s.catalogue.Items(Slot(n)) = {kEmptySlotText};
        s.choice[Slot(n)] = 0;
    }
    const Result<std::string> encoded = EncodeIDCode(s.choice, s.catalogue);
    ASSERT_TRUE(encoded.has_value()) << encoded.error().message;
    EXPECT_EQ(*encoded, "7777x-7107x-00000-00000-77x");
}

TEST_F(IDCodeTest, EncodingFailsNamingTheGroupOrThePart) {
    const std::string noIndex = ExampleCatalogue("");
    struct Case {
        std::string catalogue;
        void (*change)(Trial&);
        const char* error;
    };
    const Case cases[] = {
        {ExampleCatalogue(), [](Trial& s) { s.choice[Group::Housing] = -1; },
         "Cannot make the ID code: the group Housing has no selection."},
        // A slot without a selection holds no module, as one showing the empty entry.
        {ExampleCatalogue(), [](Trial& s) { s.choice[Group::X3] = -1; }, ""},
        {ExampleCatalogue(), [](Trial& s) { s.catalogue.Items(Group::HMI)[0] = "Ghost"; },
         "Cannot make the ID code: the entry \"Ghost\" of the group HMI names no part in the catalogue."},
        {ExampleCatalogue(),
         [](Trial& s) {
             s.choice.pciChecked = true;
             s.catalogue.extensionCaption = "Gone";
         },
         "Cannot make the ID code: the extension card \"Gone\" names no part in the catalogue."},
        {noIndex, [](Trial& s) { s.choice[Group::Display] = 1; },
         "Cannot make the ID code: the part \"Display G\" (order number 902) has no Index character in the "
         "catalogue."},
        // Hidden display and cable give no character, so they need none.
        {noIndex,
         [](Trial& s) {
             s.choice[Group::Display] = 1;
             s.choice[Group::HMICable] = -1;
             s.choice.azoVisible = false;
         },
         ""},
    };
    for (const Case& tc : cases) {
        Configurator& c = Start(tc.catalogue);
        Trial s{*c.snapshot(), c.choice()};
        tc.change(s);
        const Result<std::string> encoded = EncodeIDCode(s.choice, s.catalogue);
        EXPECT_EQ(encoded.has_value(), std::string(tc.error).empty()) << tc.error;
        EXPECT_EQ(encoded ? std::string() : encoded.error().message, tc.error);
    }
}

TEST_F(IDCodeTest, TooShortOrEmptyCodeChangesNothing) {
    Configurator& c = Start();
    c.UserSelect(Group::Housing, 1);
    c.UserSelect(Group::HMI, 1);
    const auto before = Snapshot(c.choice());
    const int runs = c.checkRuns();

    const std::string thirty = "VK72-1111x-110Ax-CCCCC-DCCCC-E";
    const auto shortMessage = c.ApplyIDCode(thirty);
    ASSERT_TRUE(shortMessage.has_value());
    EXPECT_NE(shortMessage->text.find("\"" + thirty + "\" is too short"), std::string::npos)
        << shortMessage->text;
    EXPECT_FALSE(c.ApplyIDCode("").has_value());
    // Places count characters: 31 bytes holding 30 characters are still too short.
    const auto counted = c.ApplyIDCode(thirty.substr(0, 29) + "\xC3\xA4");
    ASSERT_TRUE(counted.has_value());
    EXPECT_NE(counted->text.find("but has 30."), std::string::npos) << counted->text;
    EXPECT_EQ(Snapshot(c.choice()), before);
    EXPECT_EQ(c.checkRuns(), runs);

    // One character more is enough: the filler after the cable is never read.
    EXPECT_FALSE(c.ApplyIDCode(thirty + "F").has_value());
    EXPECT_EQ(Code(c), "1111x-110Ax-CCCCC-DCCCC-EFx");
}

TEST_F(IDCodeTest, DecodingEachPlace) {
    const std::string base = "VK72-1111x-110Ax-00000-00000-EFx";
    struct Case {
        std::size_t prefixedPlace;
        std::string characters;
        Group group;
        int before; // selection set up before decoding
        int after;
    };
    const Case cases[] = {
        // Radio groups: past the end selects the last entry, below "1" selects none. A character
        // beyond ASCII (UTF-8, or a stray 8-bit byte) takes one place and lies past the end.
        {6, "9", Group::Housing, 0, 1},
        {6, "0", Group::Housing, 0, -1},
        {6, "\xC8", Group::Housing, 0, 1},
        {6, "\xB0", Group::Housing, 0, 1},
        {6, "\xC3\x84", Group::Housing, 0, 1},
        {6, "\xF0\x9F\x98\x80", Group::Housing, 0, 1},
        {7, "\xE2\x82\xAC", Group::Power, 0, -1},
        {15, "\xC3\x84", Group::HMI, 1, 1},
        {30, "\xC3\x84", Group::Display, 1, 1},
        {8, "5", Group::Processor, 0, 0},
        {9, "3", Group::RAM, 0, 2},
        {12, "/", Group::OS, 0, -1},
        // Power and the language list: out of range selects none.
        {7, "2", Group::Power, 0, 1},
        {7, "3", Group::Power, 0, -1},
        {7, "0", Group::Power, 1, -1},
        {13, "3", Group::OSLanguage, 0, 2},
        {13, "4", Group::OSLanguage, 0, -1},
        {13, "0", Group::OSLanguage, 2, -1},
        // Match places: an unknown or lower-case character leaves the list; slots go empty.
        {15, "B", Group::HMI, 0, 1},
        {15, "Z", Group::HMI, 1, 1},
        {18, "A", Group::X1, 1, 0},
        {18, "c", Group::X1, 1, 0},
        {21, "P", Group::X4, 0, 3},
        {28, "0", Group::X10, 1, 0},
        {30, "G", Group::Display, 0, 1},
        {30, "0", Group::Display, 1, 1},
        {31, "0", Group::HMICable, 1, 1},
        {31, "H", Group::HMICable, 0, 1},
    };
    for (const Case& tc : cases) {
        Configurator& c = Start();
        c.UserSelect(tc.group, tc.before);
        std::string code = base;
        code.replace(tc.prefixedPlace - 1, 1, tc.characters);
        EXPECT_FALSE(c.ApplyIDCode(code).has_value());
        EXPECT_EQ(c.choice()[tc.group], tc.after) << code;
    }
}

TEST_F(IDCodeTest, ExtensionCardPlace) {
    const struct {
        char place;
        bool before;
        bool after;
    } cases[] = {{'0', true, false}, {'1', false, true}, {'2', true, true}, {'2', false, false}};
    for (const auto& tc : cases) {
        Configurator& c = Start();
        c.UserSetPCI(tc.before);
        EXPECT_FALSE(
            c.ApplyIDCode(std::string("VK72-1111x-11") + tc.place + "Ax-00000-00000-EFx").has_value());
        EXPECT_EQ(c.choice().pciChecked, tc.after) << tc.place;
    }
}

TEST_F(IDCodeTest, ZeroSelectsADisplayOnlyWhenADisplayCarriesIt) {
    Configurator& c = Start(ExampleCatalogue("0"));
    EXPECT_FALSE(c.ApplyIDCode("VK72-1111x-110Ax-00000-00000-00x").has_value());
    EXPECT_EQ(c.choice()[Group::Display], 1);
    EXPECT_EQ(c.choice()[Group::HMICable], 0);
}

TEST_F(IDCodeTest, PrefixFillersAndDashesAreNeverRead) {
    const std::string code = "VK72-2113x-131Bx-CAC0C-D0KPC-GHx";
    std::string garbled = code;
    for (std::size_t place : {1, 2, 3, 4, 5, 10, 11, 16, 17, 23, 29, 32})
        garbled[place - 1] = '#';
    Configurator& plain = Start();
    Configurator& blind = Start();
    plain.ApplyIDCode(code);
    blind.ApplyIDCode(garbled);
    EXPECT_EQ(Snapshot(blind.choice()), Snapshot(plain.choice()));
}

TEST_F(IDCodeTest, OnlyChangedRadioGroupsAndTheCardReact) {
    Configurator& c = Start();
    const int start = c.checkRuns();
    // Housing, RAM and the card change; Power, the language and the lists run nothing.
    const std::string code = "VK72-2213x-121Bx-C0000-D0000-GHx";
    EXPECT_FALSE(c.ApplyIDCode(code).has_value());
    EXPECT_EQ(c.checkRuns() - start, 3 + 1);
    const auto once = Snapshot(c.choice());

    const int second = c.checkRuns();
    EXPECT_FALSE(c.ApplyIDCode(code).has_value());
    EXPECT_EQ(c.checkRuns() - second, 1); // only the closing check
    EXPECT_EQ(Snapshot(c.choice()), once);
}

TEST_F(IDCodeTest, ProfibusOnX9IsCompletedOnX4ByTheCheck) {
    Configurator& c = Start();
    c.UserSelect(Group::X4, 3);
    ASSERT_EQ(c.choice()[Group::X9], 6);
    const std::string code = "VK72-" + Code(c);
    EXPECT_EQ(code, "VK72-1111x-110Ax-00000-000P0-EFx");

    Configurator& fresh = Start();
    EXPECT_FALSE(fresh.ApplyIDCode(code).has_value());
    EXPECT_EQ(fresh.choice()[Group::X4], 3);
    EXPECT_EQ(fresh.choice()[Group::X9], 6);
}

TEST_F(IDCodeTest, AppliedCodeReproducesItselfWhateverTheDisplayWasShowing) {
    for (const char* code : {"VK72-2111x-110Ax-C0000-00000-GHx", "VK72-2111x-110Bx-C0000-00000-00x"}) {
        for (int hmiBefore : {0, 1}) {
            Configurator& c = Start();
            c.UserSelect(Group::HMI, hmiBefore);
            EXPECT_FALSE(c.ApplyIDCode(code).has_value());
            EXPECT_EQ("VK72-" + Code(c), code) << "HMI before: " << hmiBefore;
        }
    }
}

// Every option of every group of the shipped catalogue, set from the standard
// configuration, survives encoding, decoding into a fresh start and encoding again.
TEST(IDCodeSample, EveryOptionRoundTrips) {
    TempDir dir;
    const std::string ini =
        dir.write("KITBUILDER.INI", ReadFileBytes(std::string(KITBUILDER_DATA_DIR) + "/KITBUILDER.INI"));
    const std::string prs =
        dir.write("KITBUILDER.PRS", ReadFileBytes(std::string(KITBUILDER_DATA_DIR) + "/KITBUILDER.PRS"));
    auto start = [&](Configurator& c) {
        ASSERT_EQ(c.LoadCatalogue(ini, prs).result, LoadResult::Loaded);
        c.StartUp();
    };
    auto roundTrip = [&](const Configurator& original, const std::string& what) {
        const Result<std::string> encoded = original.CurrentIDCode();
        ASSERT_TRUE(encoded.has_value()) << what << ": " << encoded.error().message;
        Configurator decoded;
        start(decoded);
        EXPECT_FALSE(decoded.ApplyIDCode(kIDCodePrefix + *encoded).has_value()) << what;
        EXPECT_EQ(*decoded.CurrentIDCode(), *encoded) << what;
        EXPECT_EQ(Snapshot(decoded.choice()), Snapshot(original.choice())) << what << ": " << *encoded;
    };

    int options = 0;
    for (const auto& info : AllGroups()) {
        Configurator probe;
        start(probe);
        const int count = probe.snapshot()->Count(info.group);
        ASSERT_GT(count, 0) << info.controlName;
        for (int i = 0; i < count; ++i) {
            Configurator c;
            start(c);
            c.UserSelect(info.group, i);
            roundTrip(c, std::string(info.controlName) + " " + std::to_string(i));
            ++options;
        }
    }
    Configurator card;
    start(card);
    card.UserSetPCI(true);
    roundTrip(card, "PCI");
    EXPECT_GT(options, 60);
}

} // namespace

TEST(CapitalizeCode, OnlyAsciiLettersChange) {
    const std::pair<std::string, std::string> cases[] = {
        {"vk72-0000a-0000b", "VK72-0000A-0000B"},
        {"azAZ09-_", "AZAZ09-_"},
        // Letters beyond ASCII stay: they fit no entry either way, and the length stays.
        {"\xC3\xA4\xC3\xBF\xC3\x9F", "\xC3\xA4\xC3\xBF\xC3\x9F"},
        {"x\xF0\x9F\x98\x80y", "X\xF0\x9F\x98\x80Y"},
        {"", ""},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(CapitalizeCode(input), expected) << input;
}

TEST(TypedCode, SplitAndNormalizedAsTheDialogTakesThem) {
    for (const TypedCodeCase& c : kTypedCodes) {
        const Result<std::string> normalized = NormalizeTypedCode(c.typed);
        EXPECT_EQ(SplitTypedCode(c.typed).has_value(), *c.normalized != '\0') << c.typed;
        EXPECT_EQ(normalized ? *normalized : std::string(), c.normalized) << c.typed;
        if (!normalized)
            EXPECT_NE(normalized.error().message.find(std::string("\"") + c.typed + "\" is not an ID code"),
                      std::string::npos);
    }
}
