#include "RecordingPresenter.h"
#include "app/Application.h"

#include <QEvent>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "gui/widgets/MessagePresenter.h"

using namespace kb;

namespace {

// An event handler that fails the way a core operation can.
class FailingHandler : public QObject {
  public:
    int handled = 0;

  protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        throw std::runtime_error("Price \"12x\" is not a number");
    }
};

RecordingPresenter* g_presenter = nullptr;

} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

  private slots:
    void handlerExceptionIsShownAndTheLoopGoesOn();
    void startUpFailureEndsWithItsOwnCode();
};

void ApplicationTest::handlerExceptionIsShownAndTheLoopGoesOn() {
    FailingHandler handler;
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QTRY_COMPARE(handler.handled, 2);
    QCOMPARE(g_presenter->shown.size(), std::size_t(2));
    QCOMPARE(g_presenter->shown[0].kind, Message::Kind::Error);
    QCOMPARE(g_presenter->shown[0].text, std::string("Price \"12x\" is not a number"));
}

void ApplicationTest::startUpFailureEndsWithItsOwnCode() {
    auto* app = static_cast<Application*>(QCoreApplication::instance());
    const struct {
        const char* name;
        std::function<void()> startUp;
        std::optional<int> exitCode;
        const char* shown; // nullptr: nothing
    } cases[] = {
        {"up", [] {}, std::nullopt, nullptr},
        {"fatal exit keeps its code", [] { throw ProcessExit{3}; }, 3, nullptr},
        {"unforeseen error", [] { throw std::length_error("basic_string::_M_create"); }, 70,
         "basic_string::_M_create"},
    };
    for (const auto& c : cases) {
        g_presenter->shown.clear();
        QCOMPARE(app->StartUp(c.startUp), c.exitCode);
        QCOMPARE(g_presenter->shown.size(), std::size_t(c.shown ? 1 : 0));
        if (c.shown) {
            QCOMPARE(g_presenter->shown[0].kind, Message::Kind::Error);
            QCOMPARE(g_presenter->shown[0].text, std::string(c.shown));
        }
    }
}

int main(int argc, char** argv) {
    RecordingPresenter presenter;
    g_presenter = &presenter;
    Application app(argc, argv, presenter);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "Application_test.moc"
