#include "gui/orderlist/TFoOrderlist.h"

#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTextDocument>

#include "core/orderlist/OrderList.h"
#include "core/platform/Paths.h"
#include "core/platform/SafeFile.h"
#include "core/richtext/RtfReader.h"
#include "core/session/Configurator.h"
#include "gui/orderlist/OrderListGeometry.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/Icons.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RtfTextDocument.h"

using namespace kb;

namespace {

const OrderListDesign kDesign;

// A narrow sans family where one is installed, so that the designed column widths hold
// the texts; otherwise the window's own font.
QFont GridFont(const QFont& windowFont) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")}) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            QFont font = windowFont;
            font.setFamilies({family});
            // The design's 15 pixels were meant for 120 dpi, 12 at our 96; 13 reads like the
            // window's text, and the columns still hold a long description whole.
            font.setPixelSize(13);
            return font;
        }
    }
    return windowFont;
}

// Room for text in a cell: the style draws it inside a margin on either side.
int TextRoom(const QWidget* view, int columnWidth, bool heading) {
    const QStyle* style = view->style();
    const int margin = heading ? style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view)
                               : style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return columnWidth - 2 * margin;
}

// A text too wide for its cell is drawn with an ellipsis and shown whole as tooltip. The
// ID code is the one text that is never cut, since the customer types it back: its font
// shrinks until it fits.
void FitIntoCell(QTableWidgetItem& item, const QFont& font, int room, bool wholeAlways) {
    const QString text = item.text();
    if (QFontMetrics(font).horizontalAdvance(text) <= room)
        return;
    if (wholeAlways) {
        QFont smaller = font;
        for (int size = QFontInfo(font).pixelSize() - 1; size >= 6; --size) {
            smaller.setPixelSize(size);
            if (QFontMetrics(smaller).horizontalAdvance(text) <= room) {
                item.setFont(smaller);
                return;
            }
        }
    }
    item.setToolTip(text);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFixedSize(kDesign.buttonWidth, kDesign.buttonHeight);
    return button;
}

} // namespace

TFoOrderlist::TFoOrderlist(Configurator& core, MessagePresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_core(core), m_presenter(presenter), m_printDialog([](QPrinter& printer, QWidget* parent) {
          QPrintDialog dialog(&printer, parent);
          return dialog.exec() == QDialog::Accepted;
      }) {
    setObjectName(QStringLiteral("FoOrderlist"));
    setWindowTitle(QStringLiteral("Orderlist"));
    setModal(true);
    buildControls();
}

void TFoOrderlist::buildControls() {
    m_bevel = new QFrame(this);
    m_bevel->setObjectName(QStringLiteral("Bevel1"));
    m_bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_table = new QTableWidget(kOrderListRows - 1, static_cast<int>(kDesign.columnWidths.size()), this);
    m_table->setObjectName(QStringLiteral("Tab1"));
    m_table->setAccessibleName(QStringLiteral("Order list"));
    // Tab leaves the table for the buttons; the arrow keys walk its cells.
    m_table->setTabKeyNavigation(false);
    m_table->setFont(GridFont(font()));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setMinimumSectionSize(1);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(kDesign.rowHeight);
    QHeaderView* heading = m_table->horizontalHeader();
    heading->setFont(m_table->font());
    heading->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    heading->setHighlightSections(false);
    heading->setSectionsClickable(false);
    heading->setMinimumSectionSize(1);
    heading->setSectionResizeMode(QHeaderView::Fixed);
    heading->setFixedHeight(kDesign.rowHeight);
    for (std::size_t c = 0; c < kDesign.columnWidths.size(); ++c)
        m_table->setColumnWidth(static_cast<int>(c), kDesign.columnWidths[c]);

    m_print = MakeButton(this, QStringLiteral("PrintButton"), QStringLiteral("Print"));
    m_save = MakeButton(this, QStringLiteral("SaveButton"), QStringLiteral("Save To Disk"));
    m_clip = MakeButton(this, QStringLiteral("ClipButton"), QStringLiteral("Copy to Clipboard"));
    m_close = MakeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("Close"));
    m_close->setIcon(LoadIcon(AppIcon::Close));

    // Enter in the table closes the list rather than printing or saving it by accident.
    m_close->setDefault(true);
    // The desktop's keys for the commands; Escape closes as in every dialog.
    const std::pair<QPushButton*, QKeySequence> keys[] = {{m_print, QKeySequence(QKeySequence::Print)},
                                                          {m_save, QKeySequence(QKeySequence::Save)},
                                                          {m_clip, QKeySequence(QKeySequence::Copy)},
                                                          {m_close, QKeySequence(Qt::Key_Escape)}};
    for (const auto& [button, key] : keys) {
        button->setShortcut(key);
        button->setToolTip(key.toString(QKeySequence::NativeText));
    }

    connect(m_print, &QPushButton::clicked, this, &TFoOrderlist::PrintButtonClick);
    connect(m_save, &QPushButton::clicked, this, &TFoOrderlist::SaveButtonClick);
    connect(m_clip, &QPushButton::clicked, this, &TFoOrderlist::ClipButtonClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    Place(ComputeOrderListGeometry(kDesign, kOrderListRows));
}

TFoOrderlist::~TFoOrderlist() = default;

void TFoOrderlist::Place(const OrderListGeometry& g) {
    setFixedSize(g.windowWidth, g.windowHeight);
    m_bevel->setGeometry(g.frameLeft, g.frameTop, g.frameWidth, g.frameHeight);
    m_table->setGeometry(g.frameLeft, g.frameTop, g.tableWidth, g.tableHeight);
    m_print->move(g.printLeft, g.buttonTop);
    m_save->move(g.saveLeft, g.buttonTop);
    m_clip->move(g.clipLeft, g.buttonTop);
    m_close->move(g.closeLeft, g.buttonTop);
}

void TFoOrderlist::ShowList(const OrderList& list) {
    m_rtf = list.rtf;
    m_plainText = list.PlainText();

    m_table->clear();
    m_table->setRowCount(list.rows.empty() ? 0 : static_cast<int>(list.rows.size()) - 1);
    for (std::size_t c = 0; c < kDesign.columnWidths.size(); ++c)
        m_table->setColumnWidth(static_cast<int>(c), kDesign.columnWidths[c]);
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        for (std::size_t c = 0; c < list.rows[r].size(); ++c) {
            const std::string& text = list.rows[r][c];
            auto* item = new QTableWidgetItem(ToQ(text));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            const int room = TextRoom(m_table, m_table->columnWidth(static_cast<int>(c)), r == 0);
            FitIntoCell(*item, m_table->font(), room, !list.code.empty() && text == list.code);
            if (r == 0)
                m_table->setHorizontalHeaderItem(static_cast<int>(c), item);
            else
                m_table->setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    }
    m_table->scrollToTop();
    m_table->setCurrentCell(-1, -1);
    Place(ComputeOrderListGeometry(kDesign, static_cast<int>(list.rows.size())));
}

void TFoOrderlist::PrintButtonClick() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = *m_printer;
    printer.setDocName(windowTitle());
    if (!m_printDialog(printer, this))
        return;
    // Printed from the rich-text copy, as saved and copied, rather than from the table.
    const Result<RtfDocument> read = ReadRtf(m_rtf);
    if (!read) {
        m_presenter.Show(Message::Error("The order list cannot be printed: " + read.error().message), this);
        return;
    }
    QTextDocument document;
    FillTextDocument(document, *read);
    if (!PrintTextDocument(document, printer)) {
        const QString target =
            printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        m_presenter.Show(Message::Error("The order list could not be printed on \"" + FromQ(target) + "\"."),
                         this);
    }
}

void TFoOrderlist::SaveButtonClick() {
    FileDialogs::Request request;
    request.title = QStringLiteral("Save Orderlist");
    request.filter = QStringLiteral("Rich Text Files (*.rtf)");
    request.defaultSuffix = QStringLiteral("rtf");
    request.confirmOverwrite = true;
    // Without a customer file nothing is proposed but the folder: accepting a bare ".rtf"
    // would write a hidden file.
    const std::string proposed = m_core.ProposedOrderListName();
    if (proposed.empty())
        request.directory = QDir::currentPath();
    else
        request.proposedName = PathToQ(proposed);
    const QString name = FileDialogs::GetSaveFileName(this, request);
    if (name.isEmpty())
        return;

    if (const Result<bool> saved = m_core.SaveOrderList(PathFromQ(name)); !saved)
        m_presenter.Show(Message::Error(saved.error().message), this);
}

void TFoOrderlist::ClipButtonClick() {
    const QByteArray rtf(m_rtf.data(), static_cast<qsizetype>(m_rtf.size()));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    data->setData(QStringLiteral("text/richtext"), rtf);
    data->setText(ToQ(m_plainText));
    QGuiApplication::clipboard()->setMimeData(data);
}
