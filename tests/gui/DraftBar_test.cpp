#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

#include "RecordingPresenter.h"
#include "SmallCatalogue.h"
#include "TestFiles.h"
#include "core/session/Drafts.h"
#include "gui/mainwindow/DraftBar.h"
#include "gui/mainwindow/DraftSession.h"
#include "gui/mainwindow/TForm1.h"

using namespace kb;
namespace fs = std::filesystem;

class DraftBarTest : public QObject {
    Q_OBJECT
  private slots:
    void offersKeptDraftsAndRestoresOrDiscardsThem();
    void keepsItsOwnDraftUntilExit();
    void warnsOnceWhenNoDraftCanBeWritten();

  private:
    std::unique_ptr<TForm1> Open(const std::string& drafts) {
        auto form = std::make_unique<TForm1>(TForm1::DataFiles{m_dir.write("KITBUILDER.INI", kSmallCatalogue),
                                                               m_dir.write("KITBUILDER.PRS", kSmallPrices),
                                                               {},
                                                               drafts},
                                             m_presenter, [](int code) { qFatal("exit %d", code); });
        form->show();
        return form;
    }
    int ClientHeight(const TForm1& form) { return form.height() - form.menuBar()->height(); }

    TempDir m_dir;
    RecordingPresenter m_presenter;
};

void DraftBarTest::offersKeptDraftsAndRestoresOrDiscardsThem() {
    const std::string folder = m_dir.file("offered");
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    Draft draft;
    draft.customer[CustomerRecord::Company1] = "ACME";
    draft.customer[CustomerRecord::Name1] = "Ann";
    draft.customerFile = "/orders/acme.CST";
    draft.time = "2024-05-06 07:08:09";
    draft.owner = {child, 1, CurrentProcess().boot};
    const std::string kept = folder + "/" + DraftFileName(draft.owner);
    {
        // The choice as a window on this catalogue has it, with the second housing.
        auto plain = Open({});
        plain->core().UserSelect(Group::Housing, 1);
        draft.choice = plain->core().choice();
        draft.catalogueStamp = CatalogueStamp(*plain->core().snapshot());
    }
    QVERIFY(WriteDraftFile(kept, *ComposeDraft(draft)));
    m_dir.write("offered/draft-1-1.CST", "\x01\x02");

    auto form = Open(folder);
    DraftBar* bar = form->DraftOffer();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->lineCount(), 2);
    QVERIFY(ClientHeight(*form) > 602);
    const QList<QLabel*> texts = bar->findChildren<QLabel*>(QStringLiteral("DraftText"));
    QCOMPARE(texts.at(0)->text(), QString::fromStdString("A kept draft cannot be read: \"" + folder +
                                                         "/draft-1-1.CST\" is not a draft of an order (its "
                                                         "section [Draft] names no process)"));
    QCOMPARE(texts.at(1)->text(),
             QStringLiteral("An order that was not saved was kept when the program ended "
                            "unexpectedly: ACME / Ann, 2024-05-06 07:08, acme.CST"));
    // The unreadable draft can only be discarded.
    QCOMPARE(bar->findChildren<QPushButton*>(QStringLiteral("DraftRestore")).size(), 1);

    bar->findChild<QPushButton*>(QStringLiteral("DraftRestore"))->click();
    QCOMPARE(form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: Ann] [File: acme.CST]"));
    QCOMPARE(form->core().choice(), draft.choice);
    QVERIFY(form->findChild<QAction*>(QStringLiteral("EditUndo"))->isEnabled());
    QVERIFY(!fs::exists(kept));
    QCOMPARE(ReadDraft(form->Drafts()->keeper().path())->customer[CustomerRecord::Company1],
             std::string("ACME"));
    QCOMPARE(bar->lineCount(), 1);

    bar->findChild<QPushButton*>(QStringLiteral("DraftDiscard"))->click();
    QVERIFY(!fs::exists(folder + "/draft-1-1.CST"));
    QVERIFY(!bar->isVisible());
    QCOMPARE(ClientHeight(*form), 602);
    QVERIFY(m_presenter.shown.empty());
}

void DraftBarTest::keepsItsOwnDraftUntilExit() {
    auto form = Open(m_dir.file("own"));
    const std::string own = form->Drafts()->keeper().path();
    QVERIFY(!form->DraftOffer()->isVisible());
    form->core().UserSelect(Group::X1, 2);
    form->core().UserSelect(Group::X2, 1);
    QVERIFY(form->Drafts()->writePending());
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(own), 3000);
    QCOMPARE(ReadDraft(own)->choice, form->core().choice());

    // Undo back to the start: the order is as it was, the draft goes at once.
    form->findChild<QAction*>(QStringLiteral("EditUndo"))->trigger();
    form->findChild<QAction*>(QStringLiteral("EditUndo"))->trigger();
    form->Drafts()->WaitForFiles();
    QVERIFY(!fs::exists(own));

    form->core().UserSelect(Group::X1, 2);
    form->Drafts()->Flush();
    QVERIFY(fs::exists(own));
    form->findChild<QAction*>(QStringLiteral("FileExit"))->trigger();
    QVERIFY(!fs::exists(own));
}

void DraftBarTest::warnsOnceWhenNoDraftCanBeWritten() {
    // A file where the folder should be: refused for every user, root included.
    const std::string blocked = m_dir.write("blocked", "") + "/drafts";
    auto form = Open(blocked);
    for (int index : {2, 1}) {
        form->core().UserSelect(Group::X1, index);
        form->Drafts()->Flush();
        QCoreApplication::processEvents();
    }
    QCOMPARE(m_presenter.shown.size(), std::size_t{1});
    QVERIFY(m_presenter.shown[0].kind == Message::Kind::Warning);
    QVERIFY(m_presenter.shown[0].text.find("in the folder \"" + blocked + "\"") != std::string::npos);
    m_presenter.shown.clear();
}

QTEST_MAIN(DraftBarTest)
#include "DraftBar_test.moc"
