#pragma once

#include <QApplication>
#include <functional>
#include <optional>

class MessagePresenter;

// Thrown by a fatal start-up so that main returns its exit code with everything unwound.
struct ProcessExit {
    int code;
};

// The exit code of a start-up ended by an error nobody foresaw (EX_SOFTWARE, "internal
// software error"), apart from the codes of a missing catalogue (1) or a bad price (3).
inline constexpr int kStartUpFailedExitCode = 70;

// The application object. An exception escaping an event handler is shown to the
// user, and the event loop goes on.
class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv, MessagePresenter& presenter);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs the start-up. A fatal exit ends it with its own code; any other exception is shown
    // and ends it with kStartUpFailedExitCode. Nothing when the program is up.
    std::optional<int> StartUp(const std::function<void()>& startUp);

  private:
    MessagePresenter& m_presenter;
};
