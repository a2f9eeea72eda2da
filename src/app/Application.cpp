#include "app/Application.h"

#include <exception>

#include "core/session/Message.h"
#include "gui/widgets/FocusFrameStyle.h"
#include "gui/widgets/MessagePresenter.h"

using namespace kb;

Application::Application(int& argc, char** argv, MessagePresenter& presenter)
    : QApplication(argc, argv), m_presenter(presenter) {
    // The style chosen for the desktop (or with -style), with a focus frame that can be seen.
    setStyle(new FocusFrameStyle(style()->name()));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        m_presenter.Show(Message::Error(e.what()), activeWindow());
    }
    return false;
}

std::optional<int> Application::StartUp(const std::function<void()>& startUp) {
    try {
        startUp();
    } catch (const ProcessExit& exit) {
        return exit.code;
    } catch (const std::exception& e) {
        m_presenter.Show(Message::Error(e.what()), nullptr);
        return kStartUpFailedExitCode;
    }
    return std::nullopt;
}
