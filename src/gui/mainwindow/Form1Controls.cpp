#include "gui/mainwindow/Form1Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "gui/widgets/EntryComboBox.h"
#include "gui/widgets/RadioGroup.h"
#include "gui/widgets/StatusCircle.h"
#include "gui/widgets/SummaryBox.h"

namespace {

// Places of the controls in the client area (below the tool bar), in pixels.
constexpr int kClientWidth = 1023;
constexpr int kMargin = 8;
constexpr int kRightColumnLeft = 722;
constexpr int kRightColumnWidth = kClientWidth - kMargin - kRightColumnLeft;
constexpr int kUpperBottom = 456;
constexpr int kBottomRowTop = 466;
constexpr int kBottomRowHeight = 92;
constexpr int kComboHeight = 24;
constexpr int kButtonHeight = 50;
// Group boxes draw their title above the frame; contents start below it.
constexpr int kGroupTop = 22;

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect geometry) {
    auto* group = Named(new QGroupBox(title, parent), name);
    group->setGeometry(geometry);
    return group;
}

// On Linux a list box is announced by its current entry whatever name it is given; the label
// tied to it and its description say what the box is for.
QComboBox* MakeList(QWidget* parent, const char* name, QRect geometry, const QString& purpose) {
    auto* list = Named(new EntryComboBox(parent), name);
    list->setGeometry(geometry);
    list->setAccessibleDescription(purpose);
    return list;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setGeometry(geometry);
    return label;
}

} // namespace

void Form1Controls::setup(QWidget* client) {
    Bevel1 = Named(new QFrame(client), "Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 0, kClientWidth, 2);

    Image1 = MakeLabel(client, "Image1", {}, {kClientWidth - kMargin - 193, 6, 193, 242});
    Image1->setPixmap(QPixmap(QStringLiteral(":/terminal.jpg")));
    Image1->setAccessibleName(QStringLiteral("Picture of the VK72 terminal"));

    GroupBox1 = MakeGroup(client, "GroupBox1", QStringLiteral("Zev-Ozi"),
                          {kMargin, 4, kRightColumnLeft - 2 * kMargin, kUpperBottom - 4});
    const int innerWidth = GroupBox1->width() - 2 * kMargin;
    constexpr int radioHeight = 60;
    constexpr int radioStep = radioHeight + 4;
    const auto radioAt = [&](const char* name, const QString& title, int row) {
        auto* group = Named(new RadioGroup(title, GroupBox1), name);
        group->setGeometry(kMargin, 20 + row * radioStep, innerWidth, radioHeight);
        return group;
    };
    Housing = radioAt("Housing", QStringLiteral("Housing"), 0);
    Processor = radioAt("Processor", QStringLiteral("Processor"), 1);
    RAM = radioAt("RAM", QStringLiteral("RAM"), 2);
    SetHint(RAM, QStringLiteral("Only one RAM module is possible"));
    OS = radioAt("OS", QStringLiteral("Operating System"), 3);
    SetHint(OS, QStringLiteral("Comes in multilanguage version and can be set to many different languages on "
                               "customers location"));

    const int sideTop = 20 + 4 * radioStep;
    const int halfWidth = (innerWidth - kMargin) / 2;
    constexpr int sideHeight = 56;
    Language = MakeGroup(GroupBox1, "Language", QStringLiteral("OS Language on Delivery"),
                         {kMargin, sideTop, halfWidth, sideHeight});
    SetHint(Language, QStringLiteral("Defines only the language setting on delivery"));
    OSLanguage = MakeList(Language, "OSLanguage", {kMargin, kGroupTop + 4, 220, kComboHeight},
                          QStringLiteral("Operating system language on delivery"));
    OSLanguage->setEditable(true);
    OSLanguage->lineEdit()->setAccessibleName(Language->title());
    // A typed language is for this order only: it never becomes an entry of the list, and
    // no completion writes into what the user types.
    OSLanguage->setInsertPolicy(QComboBox::NoInsert);
    OSLanguage->setCompleter(nullptr);

    ExtensionCard = MakeGroup(GroupBox1, "ExtensionCard", QStringLiteral("ExtensionCard"),
                              {innerWidth - halfWidth + kMargin, sideTop, halfWidth, sideHeight});
    SetHint(ExtensionCard,
            QStringLiteral("Enables the use of an additional PCI card. Only PCI standard 2.1 is supported!"));
    PCI = Named(new QCheckBox(ExtensionCard), "PCI");
    PCI->setGeometry(kMargin, kGroupTop + 6, halfWidth - 2 * kMargin, 20);

    const int interfacesTop = sideTop + sideHeight + 4;
    GroupBox3 =
        MakeGroup(GroupBox1, "GroupBox3", QStringLiteral("Interfaces"),
                  {kMargin, interfacesTop, innerWidth, GroupBox1->height() - interfacesTop - kMargin});
    // Upper row X5 ... X1 and HMI, lower row X10 ... X6 and Power, each list under its label;
    // the HMI and power column is wider for its longer entries.
    constexpr int gap = 8;
    constexpr int slotWidth = 96;
    const int wideWidth = GroupBox3->width() - 2 * kMargin - 5 * (slotWidth + gap);
    const auto listAt = [&](const char* name, const char* labelName, const QString& caption, int row,
                            int column, const QString& purpose) {
        const int left = kMargin + column * (slotWidth + gap);
        const int width = column < 5 ? slotWidth : wideWidth;
        const int top = kGroupTop + row * 42;
        QLabel* label = MakeLabel(GroupBox3, labelName, caption, {left, top - 4, width, 16});
        QComboBox* list = MakeList(GroupBox3, name, {left, top + 12, width, kComboHeight}, purpose);
        label->setBuddy(list);
        return list;
    };
    static constexpr std::array<const char*, 10> slotNames{"X1", "X2", "X3", "X4", "X5",
                                                           "X6", "X7", "X8", "X9", "X10"};
    static constexpr std::array<const char*, 10> labelNames{"LaX1", "LaX2", "LaX3", "LaX4", "LaX5",
                                                            "LaX6", "LaX7", "LaX8", "LaX9", "LaX10"};
    for (int n = 0; n < 10; ++n) {
        const int row = n < 5 ? 0 : 1;
        const int column = 4 - n % 5;
        const QString caption = QLatin1String(slotNames[n]);
        XSlots[n] = listAt(slotNames[n], labelNames[n], caption, row, column,
                           QStringLiteral("Module in interface slot ") + caption);
    }
    HMI = listAt("HMI", "LaHMI", QStringLiteral("HMI"), 0, 5, QStringLiteral("Operator panel (HMI)"));
    Power = listAt("Power", "LaPower", QStringLiteral("Power"), 1, 5, QStringLiteral("Power supply"));

    const int hmiTop = Image1->y() + Image1->height() + 6;
    constexpr int cableHeight = 60;
    const int cableTop = kUpperBottom - cableHeight;
    HMIBox = MakeGroup(client, "HMIBox", QStringLiteral("ZEV-Azo, IP69K, stainless steel"),
                       {kRightColumnLeft, hmiTop, kRightColumnWidth, cableTop - 4 - hmiTop});
    const int hmiInner = kRightColumnWidth - 2 * kMargin;
    DisplayGroup =
        MakeGroup(HMIBox, "DisplayGroup", QStringLiteral("Display"), {kMargin, kGroupTop, hmiInner, 56});
    Display =
        MakeList(DisplayGroup, "Display", {kMargin, kGroupTop + 2, hmiInner - 2 * kMargin, kComboHeight},
                 QStringLiteral("Display of the ZEV-Azo"));
    USBGroup = MakeGroup(HMIBox, "USBGroup", QStringLiteral("Interfaces"),
                         {kMargin, kGroupTop + 60, hmiInner, HMIBox->height() - kGroupTop - 60 - kMargin});
    USB1 = Named(new QCheckBox(QStringLiteral("USB 1"), USBGroup), "USB1");
    USB1->setGeometry(kMargin, kGroupTop + 2, 90, 20);
    USB2 = Named(new QCheckBox(QStringLiteral("USB 2"), USBGroup), "USB2");
    USB2->setGeometry(kMargin + 100, kGroupTop + 2, 90, 20);
    for (QCheckBox* usb : {USB1, USB2}) {
        // Always part of the ZEV-Azo, never a choice.
        usb->setChecked(true);
        usb->setEnabled(false);
    }

    Cable = MakeGroup(client, "Cable", QStringLiteral("Length of cable (Zev-Ozi <--> ZEV-Azo)"),
                      {kRightColumnLeft, cableTop, kRightColumnWidth, cableHeight});
    HMICable = MakeList(Cable, "HMICable", {kMargin, kGroupTop + 6, hmiInner, kComboHeight},
                        QStringLiteral("Length of the cable between Zev-Ozi and ZEV-Azo"));

    const int buttonTop = kBottomRowTop + (kBottomRowHeight - kButtonHeight) / 2 + 4;
    BtnCustomer = Named(new QPushButton(QStringLiteral("Customer Data"), client), "BtnCustomer");
    BtnCustomer->setGeometry(kMargin, buttonTop, 130, kButtonHeight);
    SetHint(BtnCustomer,
            QStringLiteral("Enables input of customer specific data which can be stored and printed "
                           "out with order list"));
    BtnShowOrderlist = Named(new QPushButton(QStringLiteral("Show Order List"), client), "BtnShowOrderlist");
    BtnShowOrderlist->setGeometry(kMargin + 138, buttonTop, 130, kButtonHeight);
    SetHint(BtnShowOrderlist, QStringLiteral("Opens an order list with all selected parts"));

    StatusGroup =
        Named(new SummaryBox(QStringLiteral("Configuration Status"), QAccessible::StatusBar, client),
              "StatusGroup");
    StatusGroup->setGeometry(kMargin + 276, kBottomRowTop, 456, kBottomRowHeight);
    Circle = Named(new StatusCircle(StatusGroup), "Circle");
    Circle->setGeometry(10, 32, 40, 40);
    SetHint(Circle, QStringLiteral("If green your configuration is ok, if red something is wrong!"));
    QFont bold = StatusGroup->font();
    bold.setBold(true);
    LaNOTOK = MakeLabel(StatusGroup, "LaNOTOK", QStringLiteral("NOT"), {58, 34, 36, 18});
    LaNOTOK->setFont(bold);
    LaOK = MakeLabel(StatusGroup, "LaOK", QStringLiteral("OK"), {58, 52, 36, 18});
    LaOK->setFont(bold);
    LaStatus = MakeLabel(StatusGroup, "LaStatus", {}, {98, 18, StatusGroup->width() - 98 - kMargin, 70});
    LaStatus->setWordWrap(true);
    LaStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Its title, and with it its name, is set with the price.
    PriceBox = Named(new SummaryBox({}, QAccessible::StaticText, client), "PriceBox");
    PriceBox->setGeometry(StatusGroup->geometry().right() + 1 + kMargin, kBottomRowTop, 150,
                          kBottomRowHeight);
    QFont large = PriceBox->font();
    large.setPointSizeF(large.pointSizeF() * 1.3);
    large.setBold(true);
    LaPrice = MakeLabel(PriceBox, "LaPrice", {}, {kMargin, 36, 84, 26});
    LaPrice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LaPrice->setFont(large);
    LaCurrency = MakeLabel(PriceBox, "LaCurrency", {}, {kMargin + 84, 36, 150 - 84 - 2 * kMargin, 26});
    LaCurrency->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LaCurrency->setFont(large);

    BitBtn1 = Named(new QPushButton(QStringLiteral("Exit"), client), "BitBtn1");
    const int exitLeft = PriceBox->geometry().right() + 1 + kMargin;
    BitBtn1->setGeometry(exitLeft, buttonTop, kClientWidth - kMargin - exitLeft, kButtonHeight);

    // Without a name of its own a group box is announced with the title of the box around it.
    for (QGroupBox* group : client->findChildren<QGroupBox*>()) {
        if (!qobject_cast<SummaryBox*>(group))
            group->setAccessibleName(group->title());
    }
}

void Form1Controls::SetTabOrder() {
    // Left to right and top to bottom within the Zev-Ozi, then the ZEV-Azo column beside it,
    // then the bottom row.
    std::vector<QWidget*> order;
    for (RadioGroup* group : {Housing, Processor, RAM, OS}) {
        for (int i = 0; i < static_cast<int>(group->items().size()); ++i)
            order.push_back(group->button(i));
    }
    order.insert(order.end(),
                 {OSLanguage, PCI,       XSlots[4], XSlots[3], XSlots[2],   XSlots[1],        XSlots[0],
                  HMI,        XSlots[9], XSlots[8], XSlots[7], XSlots[6],   XSlots[5],        Power,
                  Display,    USB1,      USB2,      HMICable,  BtnCustomer, BtnShowOrderlist, BitBtn1});
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // The window opens with the focus top left; a group box passes it on to its checked button.
    Housing->setFocus(Qt::OtherFocusReason);
}

void Form1Controls::UpdateSummaries() {
    // The words the box shows, in reading order: "NOT" only with a fault.
    const QString verdict = LaNOTOK->isHidden() ? QStringLiteral("OK: ") : QStringLiteral("Not OK: ");
    StatusGroup->setSummary(verdict + LaStatus->text());
    QStringList price;
    for (const QLabel* label : {LaPrice, LaCurrency}) {
        const QString text = label->text().simplified();
        if (!text.isEmpty())
            price.append(text);
    }
    PriceBox->setSummary(price.join(QLatin1Char(' ')));
}
