#include "gui/mainwindow/DraftBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// More lines than this scroll, so that a folder of many drafts does not push the window
// off the screen.
constexpr int kVisibleLines = 3;
const char* const kPathProperty = "draftPath";

} // namespace

DraftBar::DraftBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("DraftBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 248, 200));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAccessibleName(QStringLiteral("Kept drafts"));

    m_lines = new QWidget;
    m_lines->setAutoFillBackground(false);
    m_layout = new QVBoxLayout(m_lines);
    m_layout->setContentsMargins(6, 2, 6, 2);
    m_layout->setSpacing(2);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidget(m_lines);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);
    hide();
}

void DraftBar::SetLines(const std::vector<Line>& lines) {
    for (QWidget* row :
         m_lines->findChildren<QWidget*>(QStringLiteral("DraftLine"), Qt::FindDirectChildrenOnly))
        delete row;
    for (const Line& line : lines)
        AddLine(line);
    FitHeight();
}

void DraftBar::AddLine(const Line& line) {
    auto* row = new QWidget(m_lines);
    row->setObjectName(QStringLiteral("DraftLine"));
    row->setProperty(kPathProperty, line.path);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 2);

    auto* icon = new QLabel(row);
    const QStyle::StandardPixmap kind =
        line.readable ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning;
    icon->setPixmap(style()->standardIcon(kind).pixmap(16, 16));
    layout->addWidget(icon, 0, Qt::AlignTop);

    auto* text = new QLabel(line.text, row);
    text->setObjectName(QStringLiteral("DraftText"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setToolTip(line.path);
    layout->addWidget(text, 1);

    const auto addButton = [&](const QString& name, const QString& caption, const QString& hint) {
        auto* button = new QPushButton(caption, row);
        button->setObjectName(name);
        button->setToolTip(hint);
        // A screen reader names the draft the button acts on.
        button->setAccessibleDescription(line.text);
        layout->addWidget(button, 0, Qt::AlignTop);
        return button;
    };
    if (line.readable) {
        QPushButton* restore =
            addButton(QStringLiteral("DraftRestore"), QStringLiteral("&Restore"),
                      QStringLiteral("Bring this order back as it was kept; it stays unsaved"));
        connect(restore, &QPushButton::clicked, this,
                [this, path = line.path] { emit restoreRequested(path); });
    }
    QPushButton* discard = addButton(QStringLiteral("DraftDiscard"), QStringLiteral("&Discard"),
                                     QStringLiteral("Delete this kept draft"));
    connect(discard, &QPushButton::clicked, this, [this, path = line.path] { emit discardRequested(path); });
    m_layout->addWidget(row);
}

void DraftBar::RemoveLine(const QString& path) {
    for (QWidget* row :
         m_lines->findChildren<QWidget*>(QStringLiteral("DraftLine"), Qt::FindDirectChildrenOnly)) {
        if (row->property(kPathProperty).toString() == path) {
            // Later: the click that asked for it may still be on its way through the button.
            row->hide();
            row->setObjectName(QString());
            row->deleteLater();
        }
    }
    FitHeight();
}

int DraftBar::lineCount() const {
    return static_cast<int>(
        m_lines->findChildren<QWidget*>(QStringLiteral("DraftLine"), Qt::FindDirectChildrenOnly).size());
}

void DraftBar::FitHeight() {
    const QList<QWidget*> rows =
        m_lines->findChildren<QWidget*>(QStringLiteral("DraftLine"), Qt::FindDirectChildrenOnly);
    const int shown = std::min(static_cast<int>(rows.size()), kVisibleLines);
    const QMargins margins = m_layout->contentsMargins();
    const int width = window()->width() - margins.left() - margins.right() - 2 * frameWidth();
    int height = margins.top() + margins.bottom() + m_layout->spacing() * std::max(0, shown - 1);
    for (int n = 0; n < shown; ++n) {
        const QWidget* row = rows.at(n);
        height += row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
    }
    m_scroll->setFixedHeight(rows.isEmpty() ? 0 : height);
    setVisible(!rows.isEmpty());
    emit linesChanged();
}
