#include "gui/idcode/TFoIDCode.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <memory>

#include "core/idcode/IDCode.h"
#include "core/session/Configurator.h"
#include "gui/widgets/Icons.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

constexpr int kClientWidth = 464;
constexpr int kClientHeight = 224;
constexpr std::array<int, 5> kBoxLengths{5, 5, 5, 5, 3};

// Capitals made by the core, as the companion makes them.
QString Capitals(const QString& text) {
    return ToQ(CapitalizeCode(FromQ(text)));
}

// Characters, not UTF-16 units: a character beyond 16 bits takes one place like any other.
int CharacterCount(const QString& text) {
    return static_cast<int>(text.toUcs4().size());
}

// Turns every typed letter into its capital (the length stays, so the cursor keeps its place)
// and keeps no more characters than the box holds.
class UpperCaseValidator : public QValidator {
  public:
    UpperCaseValidator(int characters, QObject* parent) : QValidator(parent), m_characters(characters) {}
    State validate(QString& input, int& position) const override {
        input = Capitals(input);
        // A longer paste keeps what fits, as a box with a length limit does.
        const QList<uint> characters = input.toUcs4();
        if (characters.size() > m_characters) {
            input =
                QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), m_characters);
            position = std::min(position, static_cast<int>(input.size()));
        }
        return Acceptable;
    }

  private:
    int m_characters;
};

// A code box that takes a whole pasted code and lets the dialog spread it over all five
// boxes, as licence-key entries do; anything else is pasted as usual.
class CodeBox : public QLineEdit {
  public:
    CodeBox(TFoIDCode* dialog) : QLineEdit(dialog), m_dialog(dialog) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Paste) && Spread(QClipboard::Clipboard)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() &&
            Spread(QClipboard::Selection)) {
            event->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        const std::unique_ptr<QMenu> menu(createStandardContextMenu());
        if (QAction* pasteAction = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
            pasteAction->disconnect(this);
            connect(pasteAction, &QAction::triggered, this, [this] {
                if (!Spread(QClipboard::Clipboard))
                    QLineEdit::paste();
            });
        }
        menu->exec(event->globalPos());
    }

  private:
    bool Spread(QClipboard::Mode mode) {
        return !isReadOnly() && m_dialog->PasteCode(QGuiApplication::clipboard()->text(mode));
    }

    TFoIDCode* m_dialog;
};

QLabel* BoldLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    label->setFont(font);
    return label;
}

} // namespace

TFoIDCode::TFoIDCode(Configurator& core, MessagePresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_core(core), m_presenter(presenter) {
    setObjectName(QStringLiteral("FoIDCode"));
    // A window does not take its parent's font by itself; this one looks like the main window.
    if (parent)
        setFont(parent->font());
    setWindowTitle(QStringLiteral("ID-Code"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
}

void TFoIDCode::buildControls() {
    m_ok = new QPushButton(LoadIcon(AppIcon::Ok), QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(LoadIcon(AppIcon::Cancel), QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton* button : {m_ok, m_cancel})
        button->setFixedSize(100, 34);

    auto* label1 = new QLabel(QStringLiteral("Please enter ID-Code of the VK72 terminal:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    auto* label3 = new QLabel(
        QStringLiteral("The corresponding configuration will be shown after closing this window."), this);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setWordWrap(true);

    auto* codeRow = new QHBoxLayout;
    codeRow->setSpacing(6);
    codeRow->addWidget(BoldLabel(this, QStringLiteral("Label2"), QStringLiteral("VK72 -")));
    QFont boxFont = font();
    boxFont.setPointSizeF(boxFont.pointSizeF() * 1.25);
    const QFontMetrics metrics(boxFont);
    for (std::size_t n = 0; n < m_edits.size(); ++n) {
        if (n > 0)
            codeRow->addWidget(BoldLabel(this, QStringLiteral("Label%1").arg(n + 3), QStringLiteral("-")));
        auto* edit = new CodeBox(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(n + 1));
        // Room for surrogate pairs; the validator holds the box to its characters.
        edit->setMaxLength(2 * kBoxLengths[n]);
        edit->setValidator(new UpperCaseValidator(kBoxLengths[n], edit));
        edit->setFont(boxFont);
        edit->setFixedWidth(metrics.horizontalAdvance(QString(kBoxLengths[n], QLatin1Char('X'))) + 16);
        // The dashes between the boxes are no labels: each box names its place.
        edit->setAccessibleName(QStringLiteral("ID code, place %1 of %2").arg(n + 1).arg(m_edits.size()));
        edit->setAccessibleDescription(QStringLiteral("%1 characters").arg(kBoxLengths[n]));
        codeRow->addWidget(edit);
        m_edits[n] = edit;
    }
    codeRow->addStretch();

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_cancel);
    buttonRow->addStretch();
    buttonRow->addWidget(m_ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(label1);
    layout->addSpacing(8);
    layout->addLayout(codeRow);
    layout->addSpacing(12);
    layout->addWidget(label3);
    layout->addStretch();
    layout->addLayout(buttonRow);

    label1->setBuddy(m_edits[0]);
    // Tab follows the window: the boxes, then Cancel and OK from left to right.
    for (std::size_t n = 1; n < m_edits.size(); ++n)
        setTabOrder(m_edits[n - 1], m_edits[n]);
    setTabOrder(m_edits.back(), m_cancel);
    setTabOrder(m_cancel, m_ok);

    connect(m_edits[0], &QLineEdit::textChanged, this, &TFoIDCode::Edit1Change);
    connect(m_edits[1], &QLineEdit::textChanged, this, &TFoIDCode::Edit2Change);
    connect(m_edits[2], &QLineEdit::textChanged, this, &TFoIDCode::Edit3Change);
    connect(m_edits[3], &QLineEdit::textChanged, this, &TFoIDCode::Edit4Change);
    connect(m_edits[4], &QLineEdit::textChanged, this, &TFoIDCode::Edit5Change);
    connect(m_ok, &QPushButton::clicked, this, &TFoIDCode::BitBtn1Click);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFoIDCode::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFoIDCode::FormShow() {
    for (QLineEdit* edit : m_edits)
        edit->clear();
    m_edits[0]->setFocus();
}

void TFoIDCode::MoveOnWhenFull(std::size_t box) {
    if (CharacterCount(m_edits[box]->text()) == kBoxLengths[box])
        m_edits[box + 1]->setFocus();
    UpdateOkButton();
}

void TFoIDCode::UpdateOkButton() {
    m_ok->setEnabled(false);
    for (std::size_t n = 0; n < m_edits.size(); ++n) {
        if (CharacterCount(m_edits[n]->text()) != kBoxLengths[n])
            return;
    }
    m_ok->setEnabled(true);
    m_ok->setFocus();
}

bool TFoIDCode::PasteCode(const QString& text) {
    const auto parts = SplitTypedCode(FromQ(text));
    if (!parts)
        return false;
    for (std::size_t n = 0; n < m_edits.size(); ++n)
        m_edits[n]->setText(ToQ((*parts)[n]));
    return true;
}

QString TFoIDCode::TypedCode() const {
    QString code = QStringLiteral("VK72");
    for (const QLineEdit* edit : m_edits)
        code += QLatin1Char('-') + edit->text();
    return code;
}

void TFoIDCode::BitBtn1Click() {
    if (const auto failure = m_core.EnterIDCode(FromQ(TypedCode())))
        m_presenter.Show(*failure, this);
    accept();
}
