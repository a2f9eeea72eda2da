#pragma once

#include <QGroupBox>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;

// A group box of radio buttons, one per item, set out in two rows and filled column by
// column. Index -1 shows no button checked.
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    explicit RadioGroup(const QString& title, QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const { return m_items; }
    int columns() const { return m_columns; }
    // The button of an item, or nullptr.
    QAbstractButton* button(int index) const;

    int index() const { return m_index; }
    // Shows the index without emitting userSelected.
    void setIndex(int index);

  signals:
    // The user checked a button other than the checked one.
    void userSelected(int index);

  private:
    void ButtonToggled(int id, bool checked);

    QButtonGroup* m_buttons;
    QGridLayout* m_grid;
    QStringList m_items;
    int m_columns = 1;
    int m_index = -1;
};
