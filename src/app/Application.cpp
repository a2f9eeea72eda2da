#include "app/Application.h"

#include <exception>

#include "core/session/Message.h"
#include "gui/widgets/MessagePresenter.h"

using namespace kb;

Application::Application(int& argc, char** argv, MessagePresenter& presenter)
    : QApplication(argc, argv), m_presenter(presenter) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        m_presenter.Show(Message::Error(e.what()), activeWindow());
    }
    return false;
}
