#include "gui/widgets/MessagePresenter.h"

#include <QAbstractButton>
#include <QTest>

using namespace kb;

class MessagePresenterTest : public QObject {
    Q_OBJECT

  private slots:
    void boxFollowsTheKind_data();
    void boxFollowsTheKind();
    void abortIgnoreButtons();
    void textIsPlainUtf8();
};

void MessagePresenterTest::boxFollowsTheKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::newRow("error") << int(Message::Kind::Error) << QStringLiteral("Fehler")
                           << int(QMessageBox::Critical);
    QTest::newRow("warning") << int(Message::Kind::Warning) << QStringLiteral("Warnung")
                             << int(QMessageBox::Warning);
    QTest::newRow("information") << int(Message::Kind::Information) << QStringLiteral("Information")
                                 << int(QMessageBox::Information);
}

void MessagePresenterTest::boxFollowsTheKind() {
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(int, icon);
    const auto box = CreateMessageBox(
        {static_cast<Message::Kind>(kind), "Cannot run program.", Message::Buttons::Ok}, nullptr);
    QCOMPARE(box->windowTitle(), title);
    QCOMPARE(int(box->icon()), icon);
    QCOMPARE(box->text(), QStringLiteral("Cannot run program."));
    QCOMPARE(box->buttons().size(), 1);
    QCOMPARE(box->standardButton(box->buttons()[0]), QMessageBox::Ok);
    QCOMPARE(box->buttons()[0]->text(), QStringLiteral("OK"));
}

void MessagePresenterTest::abortIgnoreButtons() {
    const auto box = CreateMessageBox(
        {Message::Kind::Warning, "Fields are empty.", Message::Buttons::AbortIgnore}, nullptr);
    QCOMPARE(box->buttons().size(), 2);
    QCOMPARE(box->button(QMessageBox::Abort)->text(), QStringLiteral("&Abbrechen"));
    QCOMPARE(box->button(QMessageBox::Ignore)->text(), QStringLiteral("&Ignorieren"));

    // Closing the box answers Abort.
    box->show();
    QTest::keyClick(box.get(), Qt::Key_Escape);
    QCOMPARE(box->result(), int(QMessageBox::Abort));
}

void MessagePresenterTest::textIsPlainUtf8() {
    const auto box = CreateMessageBox(Message::Error("Stra\xC3\x9F"
                                                     "e \xE2\x82\xAC <b>1</b>"),
                                      nullptr);
    QCOMPARE(box->text(), QStringLiteral("Stra\u00dfe \u20ac <b>1</b>"));
    QCOMPARE(box->textFormat(), Qt::PlainText);
}

QTEST_MAIN(MessagePresenterTest)
#include "MessagePresenter_test.moc"
