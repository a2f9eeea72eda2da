#include "gui/customer/TFoCustomer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <algorithm>
#include <functional>

#include "core/platform/TIniFile.h"
#include "core/platform/TextCodec.h"
#include "core/session/Configurator.h"
#include "gui/widgets/Icons.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

constexpr int kClientWidth = 434;
constexpr int kClientHeight = 425;
constexpr int kMargin = 20;
constexpr int kLabelWidth = 80;
constexpr int kRowTop = 24;
constexpr int kRowPitch = 38;
constexpr int kRowHeight = 26;
constexpr int kButtonWidth = 130;
constexpr int kButtonHeight = 40;
// Where the focus starts when the window opens.
constexpr CustomerRecord::Field kFirstFocus = CustomerRecord::Name1;

// Keeps a field as the customer file can: the core's cleaning as the text arrives. A text
// cut to what the file keeps is reported to the dialog: a paste is never cut without a word.
class SingleLineValidator : public QValidator {
  public:
    SingleLineValidator(QLineEdit* edit, std::function<void(QLineEdit*)> cut)
        : QValidator(edit), m_edit(edit), m_cut(std::move(cut)) {}
    State validate(QString& input, int& position) const override {
        const std::string text = FromQ(input);
        if (CharacterCount(text) > TIniFile::kMaxValueLength)
            m_cut(m_edit);
        input = ToQ(CleanCustomerField(text));
        position = std::min(position, static_cast<int>(input.size()));
        return Acceptable;
    }

  private:
    QLineEdit* m_edit;
    std::function<void(QLineEdit*)> m_cut;
};

} // namespace

TFoCustomer::TFoCustomer(Configurator& core, MessagePresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_core(core), m_presenter(presenter) {
    setObjectName(QStringLiteral("FoCustomer"));
    // A window does not take its parent's font by itself; this one looks like the main window.
    if (parent)
        setFont(parent->font());
    setWindowTitle(QStringLiteral("Customer Data"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
}

void TFoCustomer::buildControls() {
    for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f) {
        const auto field = static_cast<CustomerRecord::Field>(f);
        const QString caption = QLatin1String(CustomerRecord::LabelCaption(field));
        const int top = kRowTop + f * kRowPitch;
        auto* label = new QLabel(caption, this);
        label->setObjectName(caption);
        label->setGeometry(kMargin, top, kLabelWidth, kRowHeight);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Ed") + caption);
        edit->setGeometry(kMargin + kLabelWidth, top, kClientWidth - 2 * kMargin - kLabelWidth, kRowHeight);
        label->setBuddy(edit);
        m_edits[f] = edit;
    }
    // No more than the customer file keeps of a value, so nothing is cut on reopening;
    // line breaks and tabs become blanks as they arrive, as the file would store them.
    // The validator alone holds a box to what the file keeps, so that every cut is reported.
    for (QLineEdit* edit : m_edits)
        edit->setValidator(new SingleLineValidator(edit, [this](QLineEdit* cut) { ShowCutNotice(cut); }));
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("LaNotice"));
    m_notice->setWordWrap(true);
    m_notice->setGeometry(kMargin, kRowTop + CustomerRecord::Code * kRowPitch - 6, kClientWidth - 2 * kMargin,
                          kClientHeight - kMargin - kButtonHeight -
                              (kRowTop + CustomerRecord::Code * kRowPitch));

    const int buttonTop = kClientHeight - kMargin - kButtonHeight;
    m_clear = new QPushButton(LoadIcon(AppIcon::Clear), QStringLiteral("Clear Fields"), this);
    m_clear->setObjectName(QStringLiteral("BtnClearFields"));
    m_clear->setGeometry(kMargin, buttonTop, kButtonWidth, kButtonHeight);
    m_save = new QPushButton(LoadIcon(AppIcon::Ok), QStringLiteral("OK"), this);
    m_save->setObjectName(QStringLiteral("BtnSaveFields"));
    m_save->setGeometry(kClientWidth - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    m_save->setDefault(true);

    // Tab walks the window as it reads: the boxes from top to bottom, then the buttons from
    // left to right, so that no box is passed over on the way to OK.
    for (std::size_t f = 1; f < m_edits.size(); ++f)
        setTabOrder(m_edits[f - 1], m_edits[f]);
    setTabOrder(m_edits.back(), m_clear);
    setTabOrder(m_clear, m_save);

    connect(m_save, &QPushButton::clicked, this, &TFoCustomer::BtnSaveFieldsClick);
    connect(m_clear, &QPushButton::clicked, this, &TFoCustomer::BtnClearFieldsClick);
}

void TFoCustomer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_edits[kFirstFocus]->setFocus();
}

void TFoCustomer::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // Showing a dialog passes the focus as by Tab, which selects the whole text; the user
    // goes on typing at the end instead.
    if (visible) {
        QLineEdit* first = m_edits[kFirstFocus];
        first->deselect();
        first->end(false);
    }
}

void TFoCustomer::ShowCutNotice(QLineEdit* edit) {
    const QString caption = edit->objectName().mid(2);
    m_notice->setText(
        QStringLiteral("The text for %1 was cut to its first %2 characters: a customer file keeps "
                       "no more of a value.")
            .arg(caption)
            .arg(TIniFile::kMaxValueLength));
}

void TFoCustomer::SetFields(const CustomerRecord& record) {
    m_notice->clear();
    for (std::size_t f = 0; f < m_edits.size(); ++f)
        m_edits[f]->setText(ToQ(record.fields[f]));
}

CustomerRecord TFoCustomer::Fields() const {
    CustomerRecord record;
    for (std::size_t f = 0; f < m_edits.size(); ++f)
        record.fields[f] = FromQ(m_edits[f]->text());
    return record;
}

void TFoCustomer::BtnSaveFieldsClick() {
    const CustomerRecord fields = Fields();
    if (const auto warning = Configurator::CustomerFieldsWarning(fields)) {
        if (m_presenter.Show(*warning, this) != QMessageBox::Ignore)
            return;
    }
    m_core.StoreCustomerFields(fields);
    accept();
}

void TFoCustomer::BtnClearFieldsClick() {
    for (QLineEdit* edit : m_edits)
        edit->clear();
    m_notice->clear();
}
