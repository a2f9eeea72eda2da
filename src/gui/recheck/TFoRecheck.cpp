#include "gui/recheck/TFoRecheck.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "core/customer/Recheck.h"
#include "core/session/Configurator.h"
#include "core/session/UserPreferences.h"
#include "gui/recheck/RecheckModel.h"
#include "gui/recheck/RecheckTable.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

// Before anything is stored: as wide as the table, the codes whole, and the status as the
// column that takes what is left. File, Company1 and Name1 give way on a small screen; they
// show their whole text as a tooltip when cut.
constexpr std::array<int, RecheckModel::kColumnCount> kColumnWidths{150, 100, 130, 110, 0,
                                                                    0,   50,  240, 70,  60};
constexpr int kDefaultWidth = 1300;
constexpr int kDefaultHeight = 520;
constexpr const char* kLayoutSection = "CheckSavedOrders";
// The code that sets the code columns' first width; wider ones widen them as they come.
constexpr const char* kTypicalCode = "VK72-1111x-110Ax-00000-00000-D3x";

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    return button;
}

} // namespace

TFoRecheck::TFoRecheck(Configurator& core, MessagePresenter& presenter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_core(core), m_presenter(presenter),
      m_chooseFolder([](QWidget* owner, const QString& start) {
          return QFileDialog::getExistingDirectory(owner, QStringLiteral("Folder of Saved Orders"), start);
      }) {
    setObjectName(QStringLiteral("FoRecheck"));
    setWindowTitle(QStringLiteral("Check Saved Orders"));
    if (parent)
        setFont(parent->font());

    auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("EdFolder"));
    m_folder->setToolTip(QStringLiteral("The folder whose customer files (*.CST) are checked"));
    folderLabel->setBuddy(m_folder);
    m_browse = Button(this, "BtnBrowse", QStringLiteral("&Browse..."), QStringLiteral("Choose the folder"));
    m_check = Button(this, "BtnCheck", QStringLiteral("C&heck"),
                     QStringLiteral("Check every saved order of the folder against the catalogue now"));

    m_model = new RecheckModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(RecheckModel::SortRole);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("Orders"));
    m_table->setAccessibleName(QStringLiteral("Saved orders"));
    // Tab leaves the table for the buttons; the arrow keys walk its cells.
    m_table->setTabKeyNavigation(false);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(RecheckModel::Column::File, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->setItemDelegate(
        new RecheckDelegate(RecheckModel::Column::StoredCode, RecheckModel::Column::CodeNow, m_table));
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                WidenCodeColumns(m_table, m_model, first, last, RecheckModel::Column::StoredCode,
                                 RecheckModel::Column::CodeNow);
            });
    m_table->horizontalHeader()->setSectionResizeMode(RecheckModel::Column::Status, QHeaderView::Stretch);
    m_table->horizontalHeader()->setMinimumSectionSize(40);

    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("LaCounts"));
    m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setAccessibleName(QStringLiteral("Progress of the check"));
    m_progress->setTextVisible(true);
    m_progress->hide();
    m_cancel = Button(this, "BtnCancel", QStringLiteral("Cancel"), QStringLiteral("Stop checking (Esc)"));
    m_cancel->hide();
    m_open = Button(this, "BtnOpen", QStringLiteral("&Open"),
                    QStringLiteral("Open the selected order in the main window, as File Open does"));
    m_copy = Button(this, "BtnCopy", QStringLiteral("&Copy"),
                    QStringLiteral("Put the table on the clipboard as tab-separated text"));
    m_close = Button(this, "BtnClose", QStringLiteral("Close"), QStringLiteral("Close this window"));

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderLabel);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    folderRow->addWidget(m_check);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_counts, 1);
    statusRow->addWidget(m_progress);
    statusRow->addWidget(m_cancel);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_open);
    buttonRow->addWidget(m_copy);
    buttonRow->addStretch();
    buttonRow->addWidget(m_close);
    // On a screen smaller than the window's least size, the window still fits and scrolls.
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addLayout(folderRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(statusRow);
    layout->addLayout(buttonRow);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(m_folder, &QLineEdit::returnPressed, this, &TFoRecheck::BtnCheckClick);
    connect(m_browse, &QPushButton::clicked, this, &TFoRecheck::BtnBrowseClick);
    connect(m_check, &QPushButton::clicked, this, &TFoRecheck::BtnCheckClick);
    connect(m_cancel, &QPushButton::clicked, this, &TFoRecheck::BtnCancelClick);
    connect(m_open, &QPushButton::clicked, this, &TFoRecheck::BtnOpenClick);
    connect(m_copy, &QPushButton::clicked, this, &TFoRecheck::BtnCopyClick);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_table, &QTableView::doubleClicked, this, &TFoRecheck::BtnOpenClick);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFoRecheck::UpdateButtons);
    auto* escape = new QShortcut(QKeySequence::Cancel, this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (running())
            BtnCancelClick();
        else
            close();
    });
    auto* copy = new QShortcut(QKeySequence::Copy, m_table, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &TFoRecheck::BtnCopyClick);
    UpdateButtons();
}

TFoRecheck::~TFoRecheck() {
    // The program ends with the window open: it opens as it was left next time.
    if (isVisible())
        SaveLayout();
    // The check holds nothing of the window, but stops with it rather than run on unseen.
    if (m_watcher) {
        QFuture<RecheckProgress> future = m_watcher->future();
        future.cancel();
        future.waitForFinished();
    }
}

void TFoRecheck::Open() {
    if (!isVisible()) {
        if (!m_placed)
            PlaceOnScreen();
        const std::string& current = m_core.customerFile();
        setFolder(current.empty() ? QDir::currentPath() : QFileInfo(PathToQ(current)).absolutePath());
        show();
        BtnCheckClick();
    }
    raise();
    activateWindow();
}

QString TFoRecheck::folder() const {
    return m_folder->text();
}

void TFoRecheck::setFolder(const QString& folder) {
    m_folder->setText(QDir::toNativeSeparators(folder));
}

void TFoRecheck::BtnBrowseClick() {
    const QString chosen = m_chooseFolder(this, folder());
    if (chosen.isEmpty())
        return;
    setFolder(chosen);
    BtnCheckClick();
}

void TFoRecheck::BtnCheckClick() {
    if (m_watcher)
        BtnCancelClick();
    const CatalogueSnapshot& catalogue = *m_core.snapshot();
    m_model->Clear(catalogue.pricesPresent ? catalogue.currency : std::string(), catalogue.decimalSeparator);
    m_done = m_total = 0;
    m_cancelled = false;
    m_rulesWarning.clear();

    const QString path = folder().trimmed();
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        m_counts->setText(path.isEmpty() ? QStringLiteral("Choose a folder of saved orders.")
                                         : QStringLiteral("\"%1\" is not a folder.").arg(path));
        UpdateButtons();
        return;
    }
    const Result<RuleSections> rules = ReadRuleSections(m_core.cataloguePath());
    if (!rules)
        m_rulesWarning = rules.error().message;
    RecheckBasis basis =
        MakeRecheckBasis(m_core.snapshot(), m_core.startChoice(), rules ? *rules : RuleSections{});
    m_watcher = new QFutureWatcher<RecheckProgress>(this);
    connect(m_watcher, &QFutureWatcherBase::resultReadyAt, this, &TFoRecheck::TakeProgress);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &TFoRecheck::WorkerFinished);
    m_progress->setRange(0, 0);
    m_progress->show();
    m_cancel->show();
    ShowCounts();
    UpdateButtons();
    const std::vector<std::string> paths{PathFromQ(path)};
    m_watcher->setFuture(
        QtConcurrent::run([basis = std::move(basis), paths](QPromise<RecheckProgress>& promise) {
            // Below the window's thread, so the window answers at once while a folder is checked.
            QThread::currentThread()->setPriority(QThread::LowPriority);
            RecheckRun run;
            run.report = [&promise](RecheckProgress progress) { promise.addResult(std::move(progress)); };
            run.cancelled = [&promise] { return promise.isCanceled(); };
            RecheckOrders(paths, basis, run);
            QThread::currentThread()->setPriority(QThread::NormalPriority);
        }));
}

void TFoRecheck::BtnCancelClick() {
    if (!m_watcher)
        return;
    // The window answers at once; the check stops after the file it is reading.
    m_watcher->disconnect(this);
    m_watcher->future().cancel();
    m_watcher->deleteLater();
    m_watcher = nullptr;
    m_cancelled = true;
    m_progress->hide();
    m_cancel->hide();
    ShowCounts();
    UpdateButtons();
    emit checkEnded();
}

void TFoRecheck::TakeProgress(int resultIndex) {
    if (!m_watcher || sender() != m_watcher)
        return;
    RecheckProgress progress = m_watcher->resultAt(resultIndex);
    m_done = progress.done;
    m_total = progress.total;
    m_model->Append(std::move(progress.rows));
    if (m_total > 0) {
        m_progress->setRange(0, static_cast<int>(m_total));
        m_progress->setValue(static_cast<int>(m_done));
    }
    ShowCounts();
}

void TFoRecheck::WorkerFinished() {
    if (!m_watcher || sender() != m_watcher)
        return;
    m_watcher->deleteLater();
    m_watcher = nullptr;
    m_progress->hide();
    m_cancel->hide();
    ShowCounts();
    UpdateButtons();
    emit checkEnded();
}

void TFoRecheck::ShowCounts() {
    QString text = ToQ(RecheckSummary(m_model->orders()));
    if (m_watcher)
        text += m_total > 0 ? QStringLiteral(" (checking %1 of %2 files...)").arg(m_done).arg(m_total)
                            : QStringLiteral(" (looking for customer files...)");
    else if (m_cancelled)
        text = QStringLiteral("Cancelled: ") + text;
    if (!m_rulesWarning.empty())
        text += QStringLiteral("\nChecked without rules: ") + ToQ(m_rulesWarning);
    m_counts->setText(text);
}

int TFoRecheck::SelectedRow() const {
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    if (!current.isValid() || !m_table->selectionModel()->isRowSelected(current.row(), {}))
        return -1;
    return m_sorted->mapToSource(current).row();
}

void TFoRecheck::UpdateButtons() {
    const int row = SelectedRow();
    m_open->setEnabled(row >= 0 && m_model->order(row).verdict != RecheckVerdict::Unreadable);
    m_copy->setEnabled(m_model->rowCount() > 0);
}

void TFoRecheck::BtnOpenClick() {
    const int row = SelectedRow();
    if (row < 0 || m_model->order(row).verdict == RecheckVerdict::Unreadable)
        return;
    for (const Message& message : m_core.OpenCustomerFile(m_model->order(row).file))
        m_presenter.Show(message, this);
}

QString TFoRecheck::TableText() const {
    QStringList lines;
    QStringList header;
    for (int c = 0; c < RecheckModel::kColumnCount; ++c)
        header.append(m_model->headerData(c, Qt::Horizontal).toString());
    lines.append(header.join(QLatin1Char('\t')));
    for (int r = 0; r < m_sorted->rowCount(); ++r) {
        const int row = m_sorted->mapToSource(m_sorted->index(r, 0)).row();
        const std::vector<std::string> fields = m_model->Fields(row);
        QStringList cells;
        for (std::size_t c = 0; c < fields.size(); ++c) {
            // The file is a path in the file system's encoding; a tab inside a field would
            // shift the columns.
            QString cell = c == RecheckModel::Column::File ? PathToQ(fields[c]) : ToQ(fields[c]);
            for (QChar& ch : cell)
                if (ch == QLatin1Char('\t') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
                    ch = QLatin1Char(' ');
            cells.append(cell);
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TFoRecheck::BtnCopyClick() {
    if (m_model->rowCount() == 0)
        return;
    QApplication::clipboard()->setText(TableText());
}

void TFoRecheck::PlaceOnScreen() {
    m_placed = true;
    const WindowLayout stored = ReadWindowLayout(m_settingsFile, kLayoutSection, RecheckModel::kColumnCount);
    const QSize wanted(stored.width > 0 ? stored.width : kDefaultWidth,
                       stored.height > 0 ? stored.height : kDefaultHeight);
    const QWidget* owner = parentWidget();
    const QScreen* onScreen = owner ? owner->screen() : screen();
    // The frame the window manager puts round the main window is the best guess for this one.
    QMargins frame(4, 30, 4, 4);
    if (owner && owner->isVisible() && owner->frameGeometry() != owner->geometry()) {
        const QRect outside = owner->frameGeometry();
        const QRect inside = owner->geometry();
        frame = QMargins(inside.left() - outside.left(), inside.top() - outside.top(),
                         outside.right() - inside.right(), outside.bottom() - inside.bottom());
    }
    setGeometry(FittedGeometry(wanted, onScreen->availableGeometry(), frame));

    const int code =
        RecheckDelegate::CodeWidth(m_table, QLatin1String(kTypicalCode), QLatin1String(kTypicalCode));
    std::vector<int> widths(kColumnWidths.begin(), kColumnWidths.end());
    std::vector<bool> flexible(widths.size(), false);
    widths[RecheckModel::Column::StoredCode] = widths[RecheckModel::Column::CodeNow] = code;
    for (int c : {RecheckModel::Column::File, RecheckModel::Column::Company1, RecheckModel::Column::Name1})
        flexible[static_cast<std::size_t>(c)] = true;
    // The table's width: the window's less its margins and a vertical scroll bar.
    const std::vector<int> fitted = FittedColumnWidths(widths, flexible, width() - 40, 60);
    for (int c = 0; c < RecheckModel::kColumnCount; ++c) {
        if (c == RecheckModel::Column::Status)
            continue;
        const int own = stored.columnWidths[static_cast<std::size_t>(c)];
        const bool isCode = c == RecheckModel::Column::StoredCode || c == RecheckModel::Column::CodeNow;
        m_table->setColumnWidth(c, own > 0 ? (isCode ? std::max(own, code) : own)
                                           : fitted[static_cast<std::size_t>(c)]);
    }
}

void TFoRecheck::SaveLayout() {
    WindowLayout layout{width(), height(), {}};
    for (int c = 0; c < RecheckModel::kColumnCount; ++c)
        layout.columnWidths.push_back(m_table->columnWidth(c));
    // Only a convenience: a settings folder that cannot be written costs the next opening
    // its size, and is no reason to interrupt closing the window.
    (void)WriteWindowLayout(m_settingsFile, kLayoutSection, layout);
}

void TFoRecheck::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        SaveLayout();
}

void TFoRecheck::closeEvent(QCloseEvent* event) {
    BtnCancelClick();
    QWidget::closeEvent(event);
}
