#pragma once

#include <QComboBox>
#include <QStringList>
#include <functional>

class QFontMetrics;
class QStyleOptionComboBox;

// The text a closed list shows for items[index] in width pixels, measured by advance: the
// entry whole when it fits, else its start, an ellipsis and as much of its end as it takes
// to tell it from every other entry ("Connect…15 m" beside "Connect… 5 m"); where the
// width holds too little for that, a stretch of its middle no other entry holds
// ("…ial RS42…"). Entries that differ only where the width cannot reach may still look alike.
QString DistinctElidedText(const QStringList& items, int index, int width,
                           const std::function<int(const QString&)>& advance);

// A selection list of the main window. Closed, it shows its entry whole where it can, in a
// narrower face of the font when the usual one is too wide, and otherwise cut so that it
// still differs from every other entry, with the whole entry as the tooltip. Open, it is as
// wide as its longest entry, and every entry keeps the place of a rule mark's icon, so that
// marked and unmarked entries line up.
class EntryComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit EntryComboBox(QWidget* parent = nullptr);

    void showPopup() override;
    // What the closed box shows of its current entry.
    QString shownText() const;
    // Whether that text is drawn in the narrow face.
    bool shownNarrow() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    struct Shown {
        QString text;
        bool narrow = false;
    };
    Shown ShownFor(const QStyleOptionComboBox& option) const;
    QStringList Items() const;
};
