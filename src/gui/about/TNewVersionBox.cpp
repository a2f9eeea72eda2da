#include "gui/about/TNewVersionBox.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <memory>

#include "core/richtext/RtfDisplay.h"
#include "core/richtext/RtfReader.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RtfTextDocument.h"

using namespace kb;

namespace {

constexpr const char* kReleaseNotesFile = "NewVersion.rtf";
constexpr int kClientWidth = 669;
constexpr int kClientHeight = 300;
// Read with the window's showing below this size; a larger file is read off its thread.
constexpr qint64 kReadAtOnce = 64 * 1024;

// The notes as the window shows them, cut to what it can lay out.
Result<RtfDocument> ReadNotes() {
    Result<RtfDocument> notes = ReadRichOrPlainTextFile(kReleaseNotesFile);
    if (notes)
        *notes = BoundForDisplay(*notes);
    return notes;
}

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
    const QFileInfo file{QLatin1String(kReleaseNotesFile)};
    if (!file.exists())
        return;
    const std::uint64_t activation = ++m_activation;
    m_reading = false;
    if (file.size() < kReadAtOnce) {
        Result<RtfDocument> notes = ReadNotes();
        ShowNotes(notes);
        return;
    }
    m_reading = true;
    auto notes = std::make_shared<Result<RtfDocument>>(RtfDocument{});
    QThread* reader = QThread::create([notes] { *notes = ReadNotes(); });
    connect(reader, &QThread::finished, reader, &QObject::deleteLater);
    // Not delivered once the window is gone; the thread then ends on its own.
    connect(reader, &QThread::finished, this, [this, notes, activation] {
        if (activation != m_activation)
            return;
        m_reading = false;
        ShowNotes(*notes);
    });
    reader->start();
}

bool TNewVersionBox::loading() const {
    return m_reading || (m_fill && m_fill->busy());
}

void TNewVersionBox::ShowNotes(Result<RtfDocument>& notes) {
    if (!notes) {
        presenter().Show(Message::Error(notes.error().message), this);
        emit notesLoaded();
        return;
    }
    if (!m_fill) {
        m_fill = new SteppedDocumentFill(*m_richEdit->document(), this);
        connect(m_fill, &SteppedDocumentFill::finished, this, &TNewVersionBox::notesLoaded);
    }
    m_fill->Start(std::make_shared<const RtfDocument>(std::move(*notes)));
}

void TNewVersionBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}
