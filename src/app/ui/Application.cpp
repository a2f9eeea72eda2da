#include "app/ui/Application.h"

#include <exception>

#include "app/Message.h"
#include "app/ui/MessagePresenter.h"

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
