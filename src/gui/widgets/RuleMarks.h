#pragma once

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPalette>
#include <QTimer>
#include <array>

#include "core/config/RuleHints.h"

namespace kb {
class Configurator;
}
class QCheckBox;
class QComboBox;
class QWidget;
class RadioGroup;

// The marks of the main window's entries: a small icon of our own, a text colour and a
// tooltip on every list entry, radio button and the card's check box whose choice would
// break a rule or clear the current fault. Nothing is hidden, disabled or moved.
class RuleMarks : public QObject {
    Q_OBJECT
  public:
    // The controls are found by their names inside client.
    RuleMarks(const kb::Configurator& core, QWidget* client, QObject* parent = nullptr);

    // After a change: the marks follow once the window has shown the change itself.
    void Schedule();
    bool pending() const { return m_timer.isActive(); }
    // Works the marks out now and shows them.
    void Update();
    const kb::RuleHints& hints() const { return m_hints; }

    // Icon and text colour of a mark for a background of the given palette; the colours keep
    // a contrast of at least 4.5 to 1 against light and dark backgrounds alike.
    static QIcon Icon(kb::HintKind kind, const QPalette& palette, QPalette::ColorRole background);
    static QColor TextColor(kb::HintKind kind, const QPalette& palette, QPalette::ColorRole background);

  signals:
    void updated();

  private:
    void ShowOnList(QComboBox* list, kb::Group group);
    void ShowOnRadios(RadioGroup* radios, kb::Group group);
    void ShowOnCard();

    const kb::Configurator& m_core;
    std::array<QWidget*, kb::kGroupCount> m_controls{};
    QCheckBox* m_card = nullptr;
    kb::RuleHints m_hints;
    kb::RuleHints m_shown;
    QTimer m_timer;
};
