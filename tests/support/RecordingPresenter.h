#pragma once

#include <QMessageBox>
#include <deque>
#include <vector>

#include "core/session/Message.h"
#include "gui/widgets/MessagePresenter.h"

// Records every message and answers it with the next queued button (OK when none is queued).
class RecordingPresenter : public MessagePresenter {
  public:
    QMessageBox::StandardButton Show(const kb::Message& message, QWidget*) override {
        shown.push_back(message);
        if (answers.empty())
            return QMessageBox::Ok;
        const QMessageBox::StandardButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<kb::Message> shown;
    std::deque<QMessageBox::StandardButton> answers;
};
