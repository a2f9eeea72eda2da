#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <array>
#include <filesystem>

#include "SampleWindows.h"
#include "core/platform/TIniFile.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

const std::array<const char*, 8> kBoxes{"EdCompany1", "EdCompany2", "EdName1",  "EdName2",
                                        "EdStreet",   "EdCity",     "EdIdent1", "EdIdent2"};
const std::array<const char*, 9> kKeys{"Company1", "Company2", "Name1",  "Name2", "Street",
                                       "City",     "Ident1",   "Ident2", "Code"};
const char* const kMissingText = "At least Company1, Name1, Street and City should be entered!";

QLineEdit* Box(QDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QLatin1String(name));
}

// Types into every box, the texts given in the order of kBoxes.
void Fill(QDialog& dialog, const QStringList& texts) {
    for (std::size_t n = 0; n < kBoxes.size(); ++n) {
        QLineEdit* box = Box(dialog, kBoxes[n]);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, texts.value(static_cast<qsizetype>(n)));
    }
}

QStringList Texts(QDialog& dialog) {
    QStringList texts;
    for (const char* name : kBoxes)
        texts.append(Box(dialog, name)->text());
    return texts;
}

const QStringList kMiller{QStringLiteral("Miller Foods"),  QStringLiteral("Plant 2"),
                          QStringLiteral("Anna Miller"),   QStringLiteral("Purchasing"),
                          QStringLiteral("Main Street 1"), QStringLiteral("Springfield"),
                          QStringLiteral("PO 4711"),       QString()};
const QStringList kEmpty(8, QString());

void Click(QDialog& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

int CheckedRadio(QGroupBox* group) {
    const auto buttons = group->findChildren<QRadioButton*>();
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked())
            return i;
    }
    return -1;
}

} // namespace

class TFoCustomerTest : public QObject {
    Q_OBJECT

  private slots:
    void windowHasItsControls();
    void firstOpeningShowsEmptyBoxes();
    void okStoresTheBoxesAndTheTitleFollows();
    void missingFieldsAskAbortOrIgnore();
    void blanksCountAsFilled();
    void closeBoxDiscardsTheEdits();
    void clearFieldsEmptiesTheBoxes();
    void saveWritesTheOrder();
    void saveRefusesAFailingConfiguration();
    void openRestoresConfigurationAndCustomer();
    void boxesTakeOneLineOfWhatTheFileKeeps();
    void failedSaveNamesNoFile();
};

void TFoCustomerTest::windowHasItsControls() {
    SampleWindows w;
    QDialog& dialog = *FoCustomer;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Customer Data"));
    QCOMPARE(dialog.minimumSize(), QSize(434, 425));
    QCOMPARE(dialog.maximumSize(), QSize(434, 425));
    int lastTop = -1;
    for (std::size_t n = 0; n < kBoxes.size(); ++n) {
        auto* label = w.find<QLabel>(&dialog, kKeys[n]);
        QCOMPARE(label->text(), QLatin1String(kKeys[n]));
        QLineEdit* box = Box(dialog, kBoxes[n]);
        QVERIFY2(box, kBoxes[n]);
        // Top to bottom, each label beside its box.
        QVERIFY(box->y() > lastTop);
        QCOMPARE(label->y(), box->y());
        QVERIFY(label->geometry().right() < box->x());
        lastTop = box->y();
    }
    auto* save = w.find<QPushButton>(&dialog, "BtnSaveFields");
    auto* clear = w.find<QPushButton>(&dialog, "BtnClearFields");
    QCOMPARE(save->text(), QStringLiteral("OK"));
    QCOMPARE(clear->text(), QStringLiteral("Clear Fields"));
    QVERIFY(save->isDefault());
    QVERIFY(!save->icon().isNull() && !clear->icon().isNull());
    QVERIFY(clear->x() < save->x());
    QVERIFY(save->y() > lastTop);
    QCOMPARE(TabOrder(Box(dialog, "EdName1")),
             (QStringList{QStringLiteral("EdName1"), QStringLiteral("EdName2"), QStringLiteral("EdStreet"),
                          QStringLiteral("EdCity"), QStringLiteral("EdIdent1"), QStringLiteral("EdIdent2"),
                          QStringLiteral("BtnClearFields"), QStringLiteral("BtnSaveFields"),
                          QStringLiteral("EdCompany1"), QStringLiteral("EdCompany2")}));
}

void TFoCustomerTest::firstOpeningShowsEmptyBoxes() {
    SampleWindows w;
    // Texts left in the boxes by the program must not show either.
    Box(*FoCustomer, "EdCity")->setText(QStringLiteral("left over"));
    QStringList texts;
    QString focus;
    w.whileOpen([&](QDialog& dialog) {
        texts = Texts(dialog);
        focus = FocusName();
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(w.modals.size(), std::size_t(1));
    QCOMPARE(w.modals[0], static_cast<QDialog*>(FoCustomer));
    QCOMPARE(texts, kEmpty);
    // The window opens on the first box of its tab order.
    QCOMPARE(focus, QStringLiteral("EdName1"));
}

void TFoCustomerTest::okStoresTheBoxesAndTheTitleFollows() {
    SampleWindows w;
    QVERIFY(w.core().BuildOrderlist().has_value());
    const std::string code = w.core().customer()[CustomerRecord::Code];
    QVERIFY(!code.empty());
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, kMiller);
        QTest::keyClick(Box(dialog, "EdIdent2"), Qt::Key_Return);
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(w.results, std::vector<int>{QDialog::Accepted});
    QVERIFY(w.core().customerDataFlag());
    for (std::size_t n = 0; n < kBoxes.size(); ++n)
        QCOMPARE(ToQ(w.core().customer().fields[n]), kMiller[static_cast<qsizetype>(n)]);
    QCOMPARE(w.core().customer()[CustomerRecord::Code], code);
    QCOMPARE(w.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: Anna Miller] [File: ----]"));

    // The next opening starts from the stored record.
    QStringList texts;
    w.whileOpen([&](QDialog& dialog) { texts = Texts(dialog); });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(texts, kMiller);
}

void TFoCustomerTest::missingFieldsAskAbortOrIgnore() {
    SampleWindows w;
    QStringList noCity = kMiller;
    noCity[5].clear();
    bool openAfterAbort = false;
    QStringList afterAbort;
    w.presenter.answers = {QMessageBox::Abort, QMessageBox::Ignore};
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, noCity);
        Click(dialog, "BtnSaveFields");
        openAfterAbort = dialog.isVisible();
        afterAbort = Texts(dialog);
        QVERIFY(!w.core().customerDataFlag());
        QVERIFY(w.core().customer()[CustomerRecord::Name1].empty());
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QVERIFY(openAfterAbort);
    QCOMPARE(afterAbort, noCity);
    QCOMPARE(w.presenter.shown.size(), std::size_t(2));
    for (const Message& message : w.presenter.shown) {
        QCOMPARE(message.kind, Message::Kind::Warning);
        QCOMPARE(message.buttons, Message::Buttons::AbortIgnore);
        QCOMPARE(message.text, std::string(kMissingText));
    }
    QCOMPARE(w.results, std::vector<int>{QDialog::Accepted});
    QVERIFY(w.core().customerDataFlag());
    QCOMPARE(w.core().customer()[CustomerRecord::Name1], std::string("Anna Miller"));
    QVERIFY(w.core().customer()[CustomerRecord::City].empty());
}

void TFoCustomerTest::blanksCountAsFilled() {
    SampleWindows w;
    // One table row per required box: that box alone empty asks; a blank in it does not.
    for (const char* required : {"EdCompany1", "EdName1", "EdStreet", "EdCity"}) {
        for (const QString& text : {QString(), QStringLiteral(" ")}) {
            w.presenter.shown.clear();
            w.presenter.answers = {QMessageBox::Abort};
            w.whileOpen([&](QDialog& dialog) {
                Fill(dialog, {QStringLiteral("C"),
                              {},
                              QStringLiteral("N"),
                              {},
                              QStringLiteral("S"),
                              QStringLiteral("T"),
                              {},
                              {}});
                Box(dialog, required)->setText(text);
                Click(dialog, "BtnSaveFields");
            });
            QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
            QCOMPARE(w.presenter.shown.size(), std::size_t(text.isEmpty() ? 1 : 0));
        }
    }
}

void TFoCustomerTest::closeBoxDiscardsTheEdits() {
    SampleWindows w;
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, kMiller);
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    w.whileOpen([&](QDialog& dialog) {
        Box(dialog, "EdName1")->setText(QStringLiteral("Somebody Else"));
        dialog.close();
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QStringList texts;
    w.whileOpen([&](QDialog& dialog) { texts = Texts(dialog); });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(texts, kMiller);
    QCOMPARE(w.core().customer()[CustomerRecord::Name1], std::string("Anna Miller"));
}

void TFoCustomerTest::clearFieldsEmptiesTheBoxes() {
    SampleWindows w;
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, kMiller);
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QStringList cleared;
    w.presenter.answers = {QMessageBox::Ignore};
    w.whileOpen([&](QDialog& dialog) {
        Click(dialog, "BtnClearFields");
        cleared = Texts(dialog);
        // Clearing alone stores nothing.
        QCOMPARE(w.core().customer()[CustomerRecord::Name1], std::string("Anna Miller"));
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(cleared, kEmpty);
    QCOMPARE(w.presenter.shown.size(), std::size_t(1));
    for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
        QVERIFY(w.core().customer().fields[f].empty());
    QVERIFY(w.core().customerDataFlag());
    QVERIFY(w.form->windowTitle().contains(QStringLiteral("[Customer: ----]")));
}

void TFoCustomerTest::saveWritesTheOrder() {
    SampleWindows w;
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, kMiller);
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QTest::keyClick(w.inForm<QComboBox>("X3"), Qt::Key_Down);

    const std::string path = w.file("miller.CST");
    FileDialogs::setNextFileName(PathToQ(path));
    w.inForm<QAction>("FileSave")->trigger();
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(FileDialogs::lastRequest().filter, QStringLiteral("HALCYON KitBuilder Customer File (*.CST)"));
    QCOMPARE(FileDialogs::lastRequest().defaultSuffix, QStringLiteral("CST"));
    QVERIFY(!FileDialogs::lastRequest().confirmOverwrite);
    QCOMPARE(w.core().customerFile(), path);
    QCOMPARE(w.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: Anna Miller] [File: miller.CST]"));

    const TIniFile ini(path);
    QCOMPARE(ini.ReadSection("Data"), std::vector<std::string>(kKeys.begin(), kKeys.end()));
    for (std::size_t n = 0; n < kBoxes.size(); ++n)
        QCOMPARE(ToQ(ini.ReadString("Data", kKeys[n], "?")), kMiller[static_cast<qsizetype>(n)]);
    // The code saved is the one the order list shows for this configuration.
    QTest::mouseClick(w.inForm<QPushButton>("BtnShowOrderlist"), Qt::LeftButton);
    const auto rows =
        w.find<QTableWidget>(FoOrderlist, "Tab1")->findItems(QStringLiteral("ID-Code:"), Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    const QString shownCode = rows[0]->tableWidget()->item(rows[0]->row(), 2)->text();
    QCOMPARE(ToQ(ini.ReadString("Data", "Code", "")), shownCode);
    QCOMPARE(shownCode, QStringLiteral("VK72-1111x-110Ax-00A00-00000-M3x"));

    // A second Save writes the same file and asks for no name: the answer stays unused.
    QTest::keyClick(w.inForm<QComboBox>("X3"), Qt::Key_Down);
    const QString unused = PathToQ(w.file("other.CST"));
    FileDialogs::setNextFileName(unused);
    w.inForm<QAction>("FileSave")->trigger();
    QCOMPARE(FileDialogs::GetOpenFileName(nullptr, {}), unused);
    QVERIFY(!std::filesystem::exists(w.file("other.CST")));
    QCOMPARE(TIniFile(path).ReadString("Data", "Code", ""), std::string("VK72-1111x-110Ax-00K00-00000-M3x"));
}

void TFoCustomerTest::saveRefusesAFailingConfiguration() {
    SampleWindows w;
    w.form->SetStdConfigExecute();
    QVERIFY(!w.inForm<QPushButton>("BtnShowOrderlist")->isEnabled());
    const QString unused = PathToQ(w.file("refused.CST"));
    FileDialogs::setNextFileName(unused);
    w.inForm<QAction>("FileSaveAs")->trigger();
    QCOMPARE(FileDialogs::GetOpenFileName(nullptr, {}), unused);
    QCOMPARE(w.presenter.shown.size(), std::size_t(1));
    QCOMPARE(w.presenter.shown[0].kind, Message::Kind::Information);
    QCOMPARE(
        w.presenter.shown[0].text,
        std::string("Configuration is incorrect! Please press 'Test Configuration' button for details!"));
    QVERIFY(!std::filesystem::exists(w.file("refused.CST")));
    QVERIFY(w.core().customerFile().empty());
}

void TFoCustomerTest::openRestoresConfigurationAndCustomer() {
    SampleWindows w;
    // An order saved into a file that holds more than the order.
    const std::string path = w.write("order.CST", "[Other]\nKeep=1\n");
    w.inForm<QGroupBox>("Housing")->findChildren<QRadioButton*>()[1]->click();
    w.inForm<QGroupBox>("RAM")->findChildren<QRadioButton*>()[2]->click();
    QTest::keyClick(w.inForm<QComboBox>("X1"), Qt::Key_Down);
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, kMiller);
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    FileDialogs::setNextFileName(PathToQ(path));
    w.inForm<QAction>("FileSave")->trigger();
    QCOMPARE(TIniFile(path).ReadString("Other", "Keep", ""), std::string("1"));
    QCOMPARE(TIniFile(path).ReadString("Data", "Code", ""), std::string("VK72-2113x-110Ax-A0000-00000-M3x"));

    // Back to the standard configuration and another customer, then the order is opened.
    w.form->SetStdConfigExecute();
    w.form->SetStdConfigExecute();
    QTest::keyClick(w.inForm<QComboBox>("X1"), Qt::Key_Up);
    w.whileOpen([&](QDialog& dialog) {
        Fill(dialog, {QStringLiteral("Other Ltd"),
                      {},
                      QStringLiteral("Bob"),
                      {},
                      QStringLiteral("Road"),
                      QStringLiteral("Town"),
                      {},
                      {}});
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(CheckedRadio(w.inForm<QGroupBox>("Housing")), 0);
    QCOMPARE(w.inForm<QComboBox>("X1")->currentIndex(), 0);

    FileDialogs::setNextFileName(PathToQ(path));
    w.inForm<QAction>("FileOpen")->trigger();
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(CheckedRadio(w.inForm<QGroupBox>("Housing")), 1);
    QCOMPARE(CheckedRadio(w.inForm<QGroupBox>("RAM")), 2);
    QCOMPARE(w.inForm<QComboBox>("X1")->currentIndex(), 1);
    QCOMPARE(w.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: Anna Miller] [File: order.CST]"));
    QStringList texts;
    w.whileOpen([&](QDialog& dialog) { texts = Texts(dialog); });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(texts, kMiller);
}

void TFoCustomerTest::boxesTakeOneLineOfWhatTheFileKeeps() {
    SampleWindows w;
    CustomerRecord stored;
    stored[CustomerRecord::Name1] = "Anna Miller";
    w.core().StoreCustomerFields(stored);
    const QString longCity(3000, QLatin1Char('c'));
    bool selected = true;
    int cursor = -1;
    QString focus;
    QStringList notices;
    w.whileOpen([&](QDialog& dialog) {
        auto* notice = w.find<QLabel>(&dialog, "LaNotice");
        QLineEdit* name1 = Box(dialog, "EdName1");
        focus = FocusName();
        selected = name1->hasSelectedText();
        cursor = name1->cursorPosition();
        QGuiApplication::clipboard()->setText(QStringLiteral(" and\nBob\r\nSmith\tjr."));
        QTest::keyClick(name1, Qt::Key_V, Qt::ControlModifier);
        notices.append(notice->text());
        QLineEdit* city = Box(dialog, "EdCity");
        QGuiApplication::clipboard()->setText(longCity);
        QTest::keyClick(city, Qt::Key_V, Qt::ControlModifier);
        notices.append(notice->text());
        // Characters, not UTF-16 units, are counted: 2047 faces fit, the 2048th is cut.
        QLineEdit* ident = Box(dialog, "EdIdent1");
        const QString face = QString::fromUcs4(U"\U0001F600");
        QGuiApplication::clipboard()->setText(face.repeated(2047));
        QTest::keyClick(ident, Qt::Key_V, Qt::ControlModifier);
        notices.append(QString::number(ident->text().size()));
        QTest::keyClick(ident, Qt::Key_A, Qt::ControlModifier);
        QGuiApplication::clipboard()->setText(face.repeated(2048));
        QTest::keyClick(ident, Qt::Key_V, Qt::ControlModifier);
        notices.append(QString::number(ident->text().size()) + QLatin1Char(' ') + notice->text());
        ident->clear();
        Box(dialog, "EdCompany1")->setText(QStringLiteral("Miller Foods"));
        Box(dialog, "EdStreet")->setText(QStringLiteral("Main Street 1"));
        Click(dialog, "BtnSaveFields");
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(focus, QStringLiteral("EdName1"));
    const QString cut =
        QStringLiteral("The text for %1 was cut to its first 2047 characters: a customer file "
                       "keeps no more of a value.");
    QCOMPARE(notices, QStringList({QString(), cut.arg(QStringLiteral("City")), QStringLiteral("4094"),
                                   QStringLiteral("4094 ") + cut.arg(QStringLiteral("Ident1"))}));
    QVERIFY(!selected);
    QCOMPARE(cursor, 11);
    QCOMPARE(w.core().customer()[CustomerRecord::Name1], std::string("Anna Miller and Bob  Smith jr."));
    QVERIFY(!w.form->windowTitle().contains(QLatin1Char('\n')));
    QCOMPARE(w.core().customer()[CustomerRecord::City].size(), TIniFile::kMaxValueLength);

    // What the box took comes back whole from the file.
    const std::string path = w.file("long.CST");
    FileDialogs::setNextFileName(PathToQ(path));
    w.inForm<QAction>("FileSave")->trigger();
    QVERIFY(w.presenter.shown.empty());
    const Result<CustomerRecord> read = ReadCustomerFile(path);
    QVERIFY(read.has_value());
    QCOMPARE(ToQ((*read)[CustomerRecord::City]), longCity.left(2047));
}

void TFoCustomerTest::failedSaveNamesNoFile() {
    SampleWindows w;
    const std::string good = w.file("good.CST");
    FileDialogs::setNextFileName(PathToQ(good));
    w.inForm<QAction>("FileSaveAs")->trigger();
    QCOMPARE(w.core().customerFile(), good);

    // Save As into a folder that does not exist: the message names the file, and neither the
    // title nor the next Save takes the name.
    const std::string missing = w.file("missing/new.CST");
    FileDialogs::setNextFileName(PathToQ(missing));
    w.inForm<QAction>("FileSaveAs")->trigger();
    QCOMPARE(w.presenter.shown.size(), std::size_t(1));
    QCOMPARE(w.presenter.shown[0].kind, Message::Kind::Error);
    QCOMPARE(w.presenter.shown[0].text, "Cannot write \"" + missing + "\": No such file or directory");
    QVERIFY(w.core().customerFile().empty());
    QVERIFY(w.form->windowTitle().endsWith(QStringLiteral("[File: ----]")));
    const std::string again = w.file("again.CST");
    FileDialogs::setNextFileName(PathToQ(again));
    w.inForm<QAction>("FileSave")->trigger();
    QCOMPARE(w.core().customerFile(), again);
    QVERIFY(std::filesystem::exists(again));

    // A Save onto the current file that fails keeps it as the current file: it still exists.
    std::filesystem::remove(again);
    std::filesystem::create_directory(again);
    w.inForm<QAction>("FileSave")->trigger();
    QCOMPARE(w.presenter.shown.size(), std::size_t(2));
    QCOMPARE(w.presenter.shown[1].text, "Cannot write \"" + again + "\": Is a directory");
    QCOMPARE(w.core().customerFile(), again);
}

QTEST_MAIN(TFoCustomerTest)
#include "TFoCustomer_test.moc"
