#include "gui/widgets/RadioGroup.h"

#include <algorithm>

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), m_buttons(new QButtonGroup(this)), m_grid(new QGridLayout(this)) {
    m_grid->setContentsMargins(8, 2, 4, 2);
    m_grid->setHorizontalSpacing(8);
    m_grid->setVerticalSpacing(0);
    connect(m_buttons, &QButtonGroup::idToggled, this, &RadioGroup::ButtonToggled);
}

void RadioGroup::setItems(const QStringList& items) {
    for (QAbstractButton* button : m_buttons->buttons()) {
        m_buttons->removeButton(button);
        delete button;
    }
    m_items = items;
    m_index = -1;
    const int count = static_cast<int>(items.size());
    m_columns = std::max(1, (count + 1) / 2);
    const int rows = std::max(1, (count + m_columns - 1) / m_columns);
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_buttons->addButton(button, i);
        m_grid->addWidget(button, i % rows, i / rows);
    }
    for (int c = 0; c < m_columns; ++c)
        m_grid->setColumnStretch(c, 1);
}

QAbstractButton* RadioGroup::button(int index) const {
    return m_buttons->button(index);
}

void RadioGroup::setIndex(int index) {
    const int count = static_cast<int>(m_items.size());
    m_index = index >= 0 && index < count ? index : -1;
    if (m_index >= 0) {
        m_buttons->button(m_index)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; lifting the rule briefly clears it.
    m_buttons->setExclusive(false);
    for (QAbstractButton* button : m_buttons->buttons())
        button->setChecked(false);
    m_buttons->setExclusive(true);
}

void RadioGroup::ButtonToggled(int id, bool checked) {
    if (!checked || id == m_index)
        return;
    m_index = id;
    emit userSelected(id);
}
