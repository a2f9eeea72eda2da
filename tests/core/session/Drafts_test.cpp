#include "core/session/Drafts.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SmallCatalogue.h"
#include "TestFiles.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

struct Sample {
    explicit Sample(const std::string& catalogue = kSmallCatalogue) {
        core.LoadCatalogue(dir.write("KITBUILDER.INI", catalogue), dir.write("KITBUILDER.PRS", kSmallPrices));
        core.StartUp(false);
    }
    TempDir dir;
    Configurator core;
};

Draft SomeDraft(const Configurator& core) {
    Draft draft{core.customer(),       core.choice(),
                "/orders/Müller.CST",  CatalogueStamp(*core.snapshot()),
                "2024-05-06 07:08:09", CurrentProcess()};
    draft.customer[CustomerRecord::Company1] = " Müller \"GmbH\" ";
    draft.customer[CustomerRecord::Name1] = "\"Zoë\"";
    draft.customer[CustomerRecord::Code] = "VK72-1111x-110Ax-00000-00000-D3x";
    draft.choice[Group::OSLanguage] = -1;
    draft.choice.typedLanguage = "  klingon";
    draft.choice.pciChecked = true;
    draft.choice.azoVisible = false;
    return draft;
}

long DeadPid() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

TEST(Drafts, FolderFollowsTheStateHome) {
    EXPECT_EQ(DraftsFolder("/state", "/home/u"), "/state/vk72-configurator/drafts");
    EXPECT_EQ(DraftsFolder("relative", "/home/u/"), "/home/u/.local/state/vk72-configurator/drafts");
    EXPECT_EQ(DraftsFolder(nullptr, "/home/u"), "/home/u/.local/state/vk72-configurator/drafts");
    EXPECT_EQ(DraftsFolder("", nullptr), "");
}

TEST(Drafts, AWrittenDraftReadsBackWholeAndAsACustomerFile) {
    Sample s;
    const Draft draft = SomeDraft(s.core);
    const std::string path = (s.dir.path() / "new/folder" / DraftFileName(draft.owner)).string();
    ::chmod(s.dir.path().c_str(), 0755);
    ASSERT_TRUE(WriteDraftFile(path, *ComposeDraft(draft)));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((s.dir.path() / "new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const Result<Draft> read = ReadDraft(path);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read->customer.fields, draft.customer.fields);
    EXPECT_EQ(read->choice, draft.choice);
    EXPECT_EQ(read->customerFile, draft.customerFile);
    EXPECT_EQ(read->time, draft.time);
    EXPECT_EQ(read->owner, draft.owner);
    EXPECT_EQ(ReadCustomerFile(path)->fields, draft.customer.fields);

    // A draft rewritten over a file someone opened up is private again.
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(WriteDraftFile(path, *ComposeDraft(draft)));
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Drafts, WhatIsNotADraftIsAnErrorNamingTheFile) {
    TempDir dir;
    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"empty.CST", ""},
             {"garbage.CST", std::string("\0\xff\xfe[\x01", 5)},
             {"order.CST", CustomerFileText("ACME", "Ann", "VK72-1111x-110Ax-00000-00000-D3x")},
             {"noowner.CST", "[Draft]\nProcessID=x\nProcessStart=1\n"}}) {
        const Result<Draft> read = ReadDraft(dir.write(name, text));
        ASSERT_FALSE(read) << name;
        EXPECT_NE(read.error().message.find(name), std::string::npos) << read.error().message;
    }
    EXPECT_FALSE(ReadDraft(dir.file("missing.CST")));
    EXPECT_FALSE(ReadDraft(dir.path().string()));
}

TEST(Drafts, OnlyDraftsOfEndedProcessesAreOffered) {
    Sample s;
    const std::string folder = (s.dir.path() / "drafts").string();
    const DraftOwner self = CurrentProcess();
    ASSERT_TRUE(IsRunning(self));
    DraftOwner reused = self, otherBoot = self, dead{DeadPid(), 1, self.boot};
    reused.startTime += 1;
    otherBoot.boot = "another-boot";
    EXPECT_FALSE(IsRunning(reused));
    EXPECT_FALSE(IsRunning(otherBoot));
    EXPECT_FALSE(IsRunning(dead));

    Draft draft = SomeDraft(s.core);
    for (const DraftOwner& owner : {self, reused, otherBoot, dead}) {
        draft.owner = owner;
        ASSERT_TRUE(WriteDraftFile(folder + "/" + DraftFileName(owner), *ComposeDraft(draft)));
    }
    s.dir.write("drafts/" + DraftFileName(DraftOwner{self.pid, self.startTime, {}}).replace(0, 5, "xdraft"),
                "x");
    s.dir.write("drafts/draft-" + std::to_string(self.pid) + "-" + std::to_string(self.startTime) + ".cst",
                "\x01");
    s.dir.write("drafts/draft-1-2.CST", "damaged");
    s.dir.write("drafts/.kbABCDEFGH.tmp", "[Data]\n");
    s.dir.write("drafts/notes.txt", "[Draft]\n");

    std::vector<std::string> offered;
    for (const KeptDraft& kept : FindKeptDrafts(folder))
        offered.push_back(std::filesystem::path(kept.path).filename().string() +
                          (kept.draft ? "" : " unreadable"));
    const std::vector<std::string> expected{
        DraftFileName(dead), DraftFileName(reused), DraftFileName(otherBoot), "draft-1-2.CST unreadable",
        DraftFileName(DraftOwner{self.pid, self.startTime, {}}).replace(0, 5, "xdraft") + " unreadable"};
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(offered, sorted);
    EXPECT_EQ(
        DraftOfferText(FindKeptDrafts(folder).front(), s.core).rfind("A kept draft cannot be read: ", 0), 0u);
}

TEST(Drafts, KeeperWritesWhileTheOrderDiffersAndRemovesWhenItIsSavedOrBack) {
    Sample s;
    DraftKeeper keeper((s.dir.path() / "drafts").string(), CurrentProcess());
    using Step = DraftKeeper::Step;
    EXPECT_EQ(keeper.Changed(s.core), Step::None);
    EXPECT_FALSE(keeper.Due(s.core, "t"));

    s.core.UserSelect(Group::Housing, 1);
    EXPECT_EQ(keeper.Changed(s.core), Step::Schedule);
    const auto job = keeper.Due(s.core, "t");
    ASSERT_TRUE(job && job->kind == DraftKeeper::Job::Kind::Write);
    ASSERT_TRUE(RunDraftJob(*job));
    EXPECT_EQ(ReadDraft(keeper.path())->customer[CustomerRecord::Code], "VK72-" + *s.core.CurrentIDCode());
    EXPECT_FALSE(keeper.Due(s.core, "later")) << "an unchanged order is not written again";

    s.core.Undo();
    EXPECT_EQ(keeper.Changed(s.core), Step::RemoveNow);
    ASSERT_TRUE(RunDraftJob(*keeper.Discard()));
    EXPECT_FALSE(std::filesystem::exists(keeper.path()));

    CustomerRecord fields;
    fields[CustomerRecord::Name1] = "Ann";
    s.core.StoreCustomerFields(fields);
    EXPECT_EQ(keeper.Changed(s.core), Step::Schedule);
    ASSERT_TRUE(keeper.Due(s.core, "t"));
    EXPECT_FALSE(s.core.WriteCustomerFileTo(s.dir.file("saved.CST")));
    EXPECT_EQ(keeper.Changed(s.core), Step::RemoveNow);
    EXPECT_FALSE(DraftKeeper("", CurrentProcess()).enabled());
}

TEST(Drafts, RestoreTakesTheWholeChoiceOrOnAChangedCatalogueTheCode) {
    Sample kept;
    kept.core.UserSelect(Group::X1, 2);
    Draft draft = SomeDraft(kept.core);
    draft.choice = kept.core.choice();
    draft.choice.typedLanguage.clear();
    draft.customer[CustomerRecord::Code] = "VK72-" + *kept.core.CurrentIDCode();

    Sample same;
    DraftRestore restore = PrepareRestore(draft, same.core);
    EXPECT_EQ(restore.choice, draft.choice);
    same.core.RestoreOrder(restore.customer, restore.customerFile, restore.choice);
    EXPECT_EQ(same.core.WindowTitle(), "VK72 Configuration Tool 2.0 [Customer: \"Zoë\"] [File: Müller.CST]");
    EXPECT_TRUE(same.core.OrderDiffers());
    same.core.Undo();
    EXPECT_EQ(same.core.choice(), same.core.startChoice()) << "one undo step";

    // X1's modules swapped places: the code finds CAN at its new place.
    Sample changed(ReplaceOnce(kSmallCatalogue, "[X1]\n0=700\n1=701\n", "[X1]\n0=701\n1=700\n"));
    const std::string path = changed.dir.write("kept.CST", *ComposeDraft(draft));
    EXPECT_EQ(PrepareRestore(draft, changed.core).choice[Group::X1], 1);
    EXPECT_EQ(
        DraftOfferText({path, draft, {}}, changed.core),
        "An order that was not saved was kept when the program ended unexpectedly:  Müller \"GmbH\"  / "
        "\"Zoë\", 2024-05-06 07:08, Müller.CST. The catalogue has changed since; restored by its ID code "
        "the order is valid: Selected configuration has no errors.");
    draft.customer[CustomerRecord::Code].clear();
    EXPECT_EQ(PrepareRestore(draft, changed.core).choice, changed.core.choice());

    Draft empty{{}, same.core.choice(), "", CatalogueStamp(*same.core.snapshot()), "2024-05-06 07:08:09", {}};
    EXPECT_EQ(DraftOfferText({path, empty, {}}, same.core),
              "An order that was not saved was kept when the program ended unexpectedly: no customer data, "
              "2024-05-06 07:08, no customer file");
}
