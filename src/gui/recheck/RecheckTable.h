#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QStyledItemDelegate>
#include <vector>

class QAbstractItemModel;
class QTableView;

// The places where a code differs from the other code of its row, letters compared as
// capitals, as the code is typed; nothing is marked when either code is missing.
QList<bool> DifferingPlaces(const QString& code, const QString& other);

// Draws the rows of Check Saved Orders. The stored code and the code now show each differing
// place in bold and, in a column narrower than the code, are cut in the middle rather than
// at the end. Any cell whose text is cut shows it whole as its tooltip, unless the model
// gives one of its own.
class RecheckDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    RecheckDelegate(int storedColumn, int nowColumn, QObject* parent = nullptr);

    // The column width that shows the code whole with its marks against the other code.
    static int CodeWidth(const QWidget* view, const QString& code, const QString& other);
    // What the cell shows in the place the option gives: its text, cut where too long.
    QString ShownText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  private:
    bool IsCode(const QModelIndex& index) const;
    QString OtherCode(const QModelIndex& index) const;

    int m_stored;
    int m_now;
};

// Widens the two code columns of the view where a row of the model from first to last needs
// it, so that no code is cut.
void WidenCodeColumns(QTableView* view, const QAbstractItemModel* model, int first, int last,
                      int storedColumn, int nowColumn);

// Column widths for a table of the given width: the fixed ones as given, the flexible ones
// shrunk in proportion (to no less than floor each) when the table is too narrow for all.
std::vector<int> FittedColumnWidths(const std::vector<int>& widths, const std::vector<bool>& flexible,
                                    int tableWidth, int floor);

// Where a window of the wanted size goes on a screen's available area: as large as wanted
// but no larger than the area less the window's frame, centred on the area.
QRect FittedGeometry(QSize wanted, QRect available, QMargins frame);
