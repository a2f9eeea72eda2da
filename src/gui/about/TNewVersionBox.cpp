#include "gui/about/TNewVersionBox.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTextEdit>

#include "core/richtext/RtfReader.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RtfTextDocument.h"

using namespace kb;

namespace {

constexpr const char* kReleaseNotesFile = "NewVersion.rtf";
constexpr int kClientWidth = 669;
constexpr int kClientHeight = 300;

// Tells the user where the notes belong until a file has been loaded.
QString DefaultText() {
    return QStringLiteral("Was not able to open file \"NewVersion.rtf\". \n"
                          "Must be located in same directory than KitBuilder and may not be \n"
                          "opened by another application.");
}

} // namespace

TNewVersionBox::TNewVersionBox(MessagePresenter* presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_presenter(presenter) {
    setObjectName(QStringLiteral("NewVersionBox"));
    setWindowTitle(QStringLiteral("New in this version ..."));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
}

void TNewVersionBox::buildControls() {
    m_richEdit = new QTextEdit(this);
    m_richEdit->setObjectName(QStringLiteral("RichEdit1"));
    m_richEdit->setGeometry(10, 10, 649, 225);
    m_richEdit->setReadOnly(true);
    m_richEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_richEdit->setPlainText(DefaultText());

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("BuOK"));
    m_okButton->setGeometry((kClientWidth - 75) / 2, 252, 75, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TNewVersionBox::FormActivate() {
    // A bare name: the notes are looked up in the current working folder.
    const QString name = QLatin1String(kReleaseNotesFile);
    if (!QFileInfo::exists(name))
        return;
    const Result<RtfDocument> notes = ReadRichOrPlainTextFile(kReleaseNotesFile);
    if (!notes) {
        presenter().Show(Message::Error(notes.error().message), this);
        return;
    }
    FillTextDocument(*m_richEdit->document(), *notes);
}

void TNewVersionBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}
