#pragma once

#include <QMessageBox>
#include <deque>
#include <vector>

#include "app/Message.h"
#include "app/ui/MessagePresenter.h"

// Records every message and answers it with the next queued button (OK when none is queued).
class RecordingPresenter : public MessagePresenter {
  public:
    QMessageBox::StandardButton Show(const Message& message, QWidget*) override {
        shown.push_back(message);
        if (answers.empty())
            return QMessageBox::Ok;
        const QMessageBox::StandardButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<Message> shown;
    std::deque<QMessageBox::StandardButton> answers;
};
