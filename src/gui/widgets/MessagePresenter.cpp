#include "gui/widgets/MessagePresenter.h"

#include <QAbstractButton>

#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

QString Title(Message::Kind kind) {
    switch (kind) {
    case Message::Kind::Information:
        return QStringLiteral("Information");
    case Message::Kind::Warning:
        return QStringLiteral("Warnung");
    case Message::Kind::Error:
        break;
    }
    return QStringLiteral("Fehler");
}

QMessageBox::Icon IconOf(Message::Kind kind) {
    switch (kind) {
    case Message::Kind::Information:
        return QMessageBox::Information;
    case Message::Kind::Warning:
        return QMessageBox::Warning;
    case Message::Kind::Error:
        break;
    }
    return QMessageBox::Critical;
}

} // namespace

std::unique_ptr<QMessageBox> CreateMessageBox(const Message& message, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(Title(message.kind));
    box->setIcon(IconOf(message.kind));
    box->setText(ToQ(message.text));
    // Plain text: a catalogue entry or a file name must never be read as markup.
    box->setTextFormat(Qt::PlainText);
    if (message.buttons == Message::Buttons::AbortIgnore) {
        box->setStandardButtons(QMessageBox::Abort | QMessageBox::Ignore);
        box->button(QMessageBox::Abort)->setText(QStringLiteral("&Abbrechen"));
        box->button(QMessageBox::Ignore)->setText(QStringLiteral("&Ignorieren"));
        box->setDefaultButton(QMessageBox::Abort);
        box->setEscapeButton(QMessageBox::Abort);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    return box;
}

QMessageBox::StandardButton MessageBoxPresenter::Show(const Message& message, QWidget* parent) {
    const auto box = CreateMessageBox(message, parent);
    return static_cast<QMessageBox::StandardButton>(box->exec());
}
