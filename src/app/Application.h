#pragma once

#include <QApplication>

class MessagePresenter;

// The application object. An exception escaping an event handler is shown to the
// user, and the event loop goes on.
class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv, MessagePresenter& presenter);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    MessagePresenter& m_presenter;
};
