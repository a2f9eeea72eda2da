#pragma once

#include <QFrame>
#include <QString>
#include <vector>

class QScrollArea;
class QVBoxLayout;

// The offer of kept drafts across the top of the main window: one line per draft, with
// Restore for a draft that can be read and Discard for every one. It is no dialog: the
// window is usable while it shows, and it goes when its last line does.
class DraftBar : public QFrame {
    Q_OBJECT
  public:
    struct Line {
        QString path;
        QString text;
        bool readable = true;
    };

    explicit DraftBar(QWidget* parent);

    void SetLines(const std::vector<Line>& lines);
    void RemoveLine(const QString& path);
    int lineCount() const;

  signals:
    void restoreRequested(const QString& path);
    void discardRequested(const QString& path);
    // A line came or went: the bar's height may have changed.
    void linesChanged();

  private:
    void AddLine(const Line& line);
    void FitHeight();

    QScrollArea* m_scroll = nullptr;
    QWidget* m_lines = nullptr;
    QVBoxLayout* m_layout = nullptr;
};
