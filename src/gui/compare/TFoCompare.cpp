#include "gui/compare/TFoCompare.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QThread>
#include <QVBoxLayout>
#include <QtConcurrent>

#include "core/platform/SafeFile.h"
#include "core/session/ComparisonHtml.h"
#include "core/session/Configurator.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    return button;
}

QString StartOf(const QString& path) {
    return path.isEmpty() ? QDir::currentPath() : path;
}

} // namespace

TFoCompare::TFoCompare(Configurator& core, MessagePresenter& presenter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_core(core), m_presenter(presenter),
      m_chooseFolder([](QWidget* owner, const QString& start) {
          return QFileDialog::getExistingDirectory(owner, QStringLiteral("Folder of Saved Orders"), start);
      }),
      m_chooseCatalogue([](QWidget* owner, const QString& start) {
          return QFileDialog::getOpenFileName(owner, QStringLiteral("Catalogue"), start,
                                              QStringLiteral("Catalogue (*.INI *.ini);;All files (*)"));
      }) {
    setObjectName(QStringLiteral("FoCompare"));
    setWindowTitle(QStringLiteral("Compare Catalogues"));
    if (parent)
        setFont(parent->font());

    auto* grid = new QGridLayout;
    m_old = FileRow(grid, "EdOldCatalogue", QStringLiteral("O&ld catalogue:"),
                    QStringLiteral("The catalogue now in use; its price file is taken from beside it"),
                    "BtnBrowseOld", false);
    m_new =
        FileRow(grid, "EdNewCatalogue", QStringLiteral("&New catalogue:"),
                QStringLiteral("The catalogue of the new release; its price file is taken from beside it"),
                "BtnBrowseNew", false);
    m_orders = FileRow(grid, "EdOrders", QStringLiteral("Saved &orders:"),
                       QStringLiteral("Optional: a folder of customer files (*.CST) to recheck under both"),
                       "BtnBrowseOrders", true);
    m_orders->setPlaceholderText(QStringLiteral("optional: a folder of customer files"));
    m_compare = Button(this, "BtnCompare", QStringLiteral("Co&mpare"),
                       QStringLiteral("Compare the two catalogues and recheck the saved orders"));
    grid->addWidget(m_compare, 2, 3);

    m_report = new QTextBrowser(this);
    m_report->setObjectName(QStringLiteral("Report"));
    m_report->setAccessibleName(QStringLiteral("Report"));
    m_report->setOpenExternalLinks(false);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LaStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setText(
        QStringLiteral("Choose the new catalogue (and a folder of saved orders), then Compare."));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->hide();
    m_cancel = Button(this, "BtnCancel", QStringLiteral("Cancel"), QStringLiteral("Stop comparing (Esc)"));
    m_cancel->hide();
    m_saveHtml = Button(this, "BtnSaveHtml", QStringLiteral("Save As &HTML..."),
                        QStringLiteral("Save the report as a web page"));
    m_copy = Button(
        this, "BtnCopy", QStringLiteral("&Copy"),
        QStringLiteral("Put the report on the clipboard: the page, and one tab-separated line per change"));
    auto* close = Button(this, "BtnClose", QStringLiteral("Close"), QStringLiteral("Close this window"));

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_progress);
    statusRow->addWidget(m_cancel);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_saveHtml);
    buttonRow->addWidget(m_copy);
    buttonRow->addStretch();
    buttonRow->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_report, 1);
    layout->addLayout(statusRow);
    layout->addLayout(buttonRow);
    resize(900, 640);

    for (QLineEdit* edit : {m_old, m_new, m_orders})
        connect(edit, &QLineEdit::returnPressed, this, &TFoCompare::BtnCompareClick);
    connect(m_compare, &QPushButton::clicked, this, &TFoCompare::BtnCompareClick);
    connect(m_cancel, &QPushButton::clicked, this, &TFoCompare::BtnCancelClick);
    connect(m_saveHtml, &QPushButton::clicked, this, &TFoCompare::BtnSaveHtmlClick);
    connect(m_copy, &QPushButton::clicked, this, &TFoCompare::BtnCopyClick);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence::Cancel, this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (running())
            BtnCancelClick();
        else
            this->close();
    });
    UpdateButtons();
}

TFoCompare::~TFoCompare() = default;

QLineEdit* TFoCompare::FileRow(QGridLayout* grid, const char* name, const QString& caption,
                               const QString& hint, const char* browseName, bool folder) {
    const int row = grid->rowCount();
    auto* label = new QLabel(caption, this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(hint);
    label->setBuddy(edit);
    auto* browse = Button(this, browseName, QStringLiteral("Browse..."), hint);
    browse->setAccessibleName(label->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')) +
                              QStringLiteral(" browse"));
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    connect(browse, &QPushButton::clicked, this, [this, edit, folder] {
        const QString chosen = (folder ? m_chooseFolder : m_chooseCatalogue)(this, StartOf(edit->text()));
        if (!chosen.isEmpty())
            edit->setText(QDir::toNativeSeparators(chosen));
    });
    return edit;
}

void TFoCompare::Open() {
    if (!isVisible()) {
        if (m_old->text().isEmpty())
            m_old->setText(PathToQ(m_core.cataloguePath()));
        show();
        m_new->setFocus();
    }
    raise();
    activateWindow();
}

void TFoCompare::setFiles(const QString& oldCatalogue, const QString& newCatalogue, const QString& orders) {
    m_old->setText(oldCatalogue);
    m_new->setText(newCatalogue);
    m_orders->setText(orders);
}

void TFoCompare::BtnCompareClick() {
    if (m_watcher)
        BtnCancelClick();
    const QString oldPath = m_old->text().trimmed();
    const QString newPath = m_new->text().trimmed();
    if (oldPath.isEmpty() || newPath.isEmpty()) {
        m_status->setText(QStringLiteral("Choose the old and the new catalogue."));
        (oldPath.isEmpty() ? m_old : m_new)->setFocus();
        return;
    }
    m_pricesNote.clear();
    ComparisonFiles files = PricesBesideCatalogues(PathFromQ(oldPath), PathFromQ(newPath), &m_pricesNote);
    files.ordersFolder = PathFromQ(m_orders->text().trimmed());

    m_outcome.reset();
    m_watcher = new QFutureWatcher<CompareStep>(this);
    connect(m_watcher, &QFutureWatcherBase::resultReadyAt, this, &TFoCompare::ShowProgress);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &TFoCompare::Finished);
    m_progress->setRange(0, 0);
    m_progress->show();
    m_cancel->show();
    m_status->setText(QStringLiteral("Comparing..."));
    UpdateButtons();
    m_watcher->setFuture(QtConcurrent::run([files = std::move(files)](QPromise<CompareStep>& promise) {
        // Below the window's thread, so the window answers at once while the orders are checked.
        QThread::currentThread()->setPriority(QThread::LowPriority);
        ComparisonRun run;
        run.progress = [&promise](std::size_t done, std::size_t total) {
            promise.addResult(CompareStep{done, total, std::nullopt});
        };
        run.cancelled = [&promise] { return promise.isCanceled(); };
        promise.addResult(CompareStep{0, 0, CompareCatalogues(files, run)});
        QThread::currentThread()->setPriority(QThread::NormalPriority);
    }));
}

void TFoCompare::ShowProgress(int resultIndex) {
    if (!m_watcher || sender() != m_watcher)
        return;
    CompareStep step = m_watcher->resultAt(resultIndex);
    if (step.outcome) {
        m_outcome = std::move(step.outcome);
        return;
    }
    if (step.total == 0)
        return;
    m_progress->setRange(0, static_cast<int>(step.total));
    m_progress->setValue(static_cast<int>(step.done));
    m_status->setText(QStringLiteral("Rechecking the saved orders under both catalogues..."));
}

void TFoCompare::BtnCancelClick() {
    if (!m_watcher)
        return;
    // The window answers at once; the comparison stops after the files it is reading.
    m_watcher->disconnect(this);
    m_watcher->future().cancel();
    m_watcher->deleteLater();
    m_watcher = nullptr;
    m_outcome.reset();
    Idle();
    m_status->setText(QStringLiteral("Cancelled."));
    emit compareEnded();
}

void TFoCompare::Finished() {
    if (!m_watcher || sender() != m_watcher)
        return;
    m_watcher->deleteLater();
    m_watcher = nullptr;
    Idle();
    std::optional<Result<CatalogueComparison>> outcome = std::move(m_outcome);
    m_outcome.reset();
    if (!outcome || !*outcome) {
        const std::string reason = outcome ? (*outcome).error().message : "The comparison did not end.";
        m_comparison.reset();
        m_html.clear();
        m_report->clear();
        m_status->setText(ToQ(reason));
        m_presenter.Show(Message::Error(reason), this);
    } else {
        CatalogueComparison& result = **outcome;
        if (!m_pricesNote.empty())
            result.notes.insert(result.notes.begin(), m_pricesNote);
        m_html = ComparisonHtml(result);
        m_report->setHtml(ToQ(m_html));
        QString status = ToQ(result.Summary());
        if (!result.badPrices.empty())
            status += QStringLiteral("\n") + ToQ(result.badPrices.front());
        m_status->setText(status);
        m_comparison = std::move(result);
    }
    UpdateButtons();
    emit compareEnded();
}

void TFoCompare::Idle() {
    m_progress->hide();
    m_cancel->hide();
    UpdateButtons();
}

void TFoCompare::UpdateButtons() {
    m_saveHtml->setEnabled(!running() && m_comparison.has_value());
    m_copy->setEnabled(!running() && m_comparison.has_value());
}

void TFoCompare::BtnSaveHtmlClick() {
    if (!m_comparison)
        return;
    FileDialogs::Request request;
    request.title = QStringLiteral("Save Report As HTML");
    request.filter = QStringLiteral("Web page (*.html)");
    request.defaultSuffix = QStringLiteral("html");
    request.proposedName = QStringLiteral("catalogue-comparison.html");
    request.directory = QFileInfo(m_new->text().trimmed()).absolutePath();
    const QString name = FileDialogs::GetSaveFileName(this, request);
    if (name.isEmpty())
        return;
    if (const Result<void> written = WriteFileSafely(PathFromQ(name), m_html); !written)
        m_presenter.Show(Message::Error(written.error().message), this);
}

void TFoCompare::BtnCopyClick() {
    if (!m_comparison)
        return;
    auto* data = new QMimeData;
    data->setText(ToQ(ComparisonText(*m_comparison)));
    data->setHtml(ToQ(m_html));
    QApplication::clipboard()->setMimeData(data);
}

void TFoCompare::closeEvent(QCloseEvent* event) {
    BtnCancelClick();
    QWidget::closeEvent(event);
}
