#pragma once

#include <QMessageBox>
#include <memory>

#include "core/session/Message.h"

class QWidget;

// Shows the core's messages. The windows hold a presenter rather than calling
// QMessageBox themselves, so tests can answer a message without a modal loop.
class MessagePresenter {
  public:
    virtual ~MessagePresenter() = default;
    // Shows the message and returns the button pressed (Ok, Abort or Ignore).
    virtual QMessageBox::StandardButton Show(const kb::Message& message, QWidget* parent) = 0;
};

// The standard message box: title, icon and buttons by the message's kind.
class MessageBoxPresenter : public MessagePresenter {
  public:
    QMessageBox::StandardButton Show(const kb::Message& message, QWidget* parent) override;
};

// The box that MessageBoxPresenter shows, built but not yet run.
std::unique_ptr<QMessageBox> CreateMessageBox(const kb::Message& message, QWidget* parent);
