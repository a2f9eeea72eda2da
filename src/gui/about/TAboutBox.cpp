#include "gui/about/TAboutBox.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "core/session/AboutText.h"
#include "core/session/AppInfo.h"
#include "core/session/Configurator.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

constexpr int kClientWidth = 573;
constexpr int kClientHeight = 286;
constexpr int kTextLeft = 232;
constexpr int kTextWidth = 309;

QLabel* MakeLabel(QWidget* parent, const QString& name, int top, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(kTextLeft, top, kTextWidth, height);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TAboutBox::TAboutBox(const Configurator* core, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_core(core) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, kClientWidth - 16, kClientHeight - 16);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto* image = new QLabel(panel);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(14, (panel->height() - 242) / 2, 193, 242);
    image->setPixmap(QPixmap(QStringLiteral(":/terminal.jpg")));

    m_productName = MakeLabel(panel, QStringLiteral("ProductName"), 24, 32);
    QFont large = m_productName->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    m_productName->setFont(large);
    QPalette blue = m_productName->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    m_productName->setPalette(blue);

    m_version = MakeLabel(panel, QStringLiteral("Version"), 66, 20);

    m_comments = MakeLabel(panel, QStringLiteral("Comments"), 104, 48);
    m_comments->setGeometry(kTextLeft + (kTextWidth - 256) / 2, 104, 256, 48);
    m_comments->setWordWrap(true);

    m_notice = MakeLabel(panel, QStringLiteral("Copyright"), 166, 36);
    m_notice->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(kClientWidth - 8 - 12 - 75, kClientHeight - 8 - 12 - 25, 75, 25);
    ok->setDefault(true);
    ok->raise();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::FormActivate() {
    m_notice->setText(QLatin1String(kMakerNotice));
    m_productName->setText(QLatin1String(kApplicationTitle));
    const CatalogueSnapshot unknown;
    const CatalogueSnapshot& catalogue = m_core ? *m_core->snapshot() : unknown;
    m_version->setText(
        ToQ(AboutVersionLine(catalogue.version, catalogue.pricesPresent, catalogue.priceDate)));
    m_comments->setText(QLatin1String(kDesignerCredit));
}

void TAboutBox::showEvent(QShowEvent* event) {
    FormActivate();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}
