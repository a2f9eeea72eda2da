#include "gui/widgets/RuleMarks.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "core/session/Configurator.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RadioGroup.h"

using namespace kb;

namespace {

constexpr int kIconSize = 14;

bool IsDark(const QPalette& palette, QPalette::ColorRole background) {
    return palette.color(background).lightnessF() < 0.5;
}

QIcon DrawIcon(HintKind kind, const QColor& color, const QColor& background) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(1.5, 1.5, kIconSize - 3, kIconSize - 3);
    if (kind == HintKind::Breaks) {
        // A ring with a bar across: this entry would break a rule.
        painter.setPen(QPen(color, 1.8));
        painter.drawEllipse(disc);
        painter.drawLine(QPointF(3.8, 3.8), QPointF(kIconSize - 3.8, kIconSize - 3.8));
    } else {
        // A filled disc with a tick: this entry would clear the fault.
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(disc);
        QPainterPath tick;
        tick.moveTo(4.0, 7.2);
        tick.lineTo(6.2, 9.6);
        tick.lineTo(10.2, 4.6);
        painter.setPen(QPen(background, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
    painter.end();
    return QIcon(pixmap);
}

void MarkButton(QAbstractButton* button, const EntryHint& hint) {
    if (hint.kind == HintKind::None) {
        button->setIcon(QIcon());
        // An empty palette inherits the window's again.
        button->setPalette(QPalette());
        button->setToolTip(QString());
        return;
    }
    const QPalette inherited = button->parentWidget()->palette();
    QPalette palette = inherited;
    const QColor color = RuleMarks::TextColor(hint.kind, inherited, QPalette::Window);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    button->setPalette(palette);
    button->setIcon(RuleMarks::Icon(hint.kind, inherited, QPalette::Window));
    button->setToolTip(ToQ(HintToolTip(hint)));
}

} // namespace

RuleMarks::RuleMarks(const Configurator& core, QWidget* client, QObject* parent)
    : QObject(parent), m_core(core) {
    for (const GroupInfo& info : AllGroups())
        m_controls[static_cast<std::size_t>(info.group)] =
            client->findChild<QWidget*>(QLatin1String(info.controlName));
    m_card = client->findChild<QCheckBox*>(QStringLiteral("PCI"));
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &RuleMarks::Update);
}

void RuleMarks::Schedule() {
    // The change is painted first; the marks follow in the same turn of the event loop.
    if (!m_timer.isActive())
        m_timer.start();
}

void RuleMarks::Update() {
    m_timer.stop();
    const RuleSections* rules = m_core.lastRuleSections();
    m_hints = rules ? ComputeRuleHints(m_core.choice(), *m_core.snapshot(), *rules) : RuleHints{};
    for (const GroupInfo& info : AllGroups()) {
        QWidget* control = m_controls[static_cast<std::size_t>(info.group)];
        if (auto* radios = qobject_cast<RadioGroup*>(control))
            ShowOnRadios(radios, info.group);
        else if (auto* list = qobject_cast<QComboBox*>(control); list && info.group != Group::OSLanguage)
            ShowOnList(list, info.group);
    }
    ShowOnCard();
    m_shown = m_hints;
    emit updated();
}

QColor RuleMarks::TextColor(HintKind kind, const QPalette& palette, QPalette::ColorRole background) {
    const bool dark = IsDark(palette, background);
    switch (kind) {
    case HintKind::Breaks:
        // Muted: a dull red that reads as a warning without shouting.
        return dark ? QColor(0xE8, 0xA0, 0x9A) : QColor(0xA0, 0x41, 0x3A);
    case HintKind::Clears:
        // Emphasised: a clear green.
        return dark ? QColor(0x8F, 0xE0, 0x8F) : QColor(0x1E, 0x6B, 0x1E);
    case HintKind::None:
        break;
    }
    return palette.color(background == QPalette::Base ? QPalette::Text : QPalette::WindowText);
}

QIcon RuleMarks::Icon(HintKind kind, const QPalette& palette, QPalette::ColorRole background) {
    if (kind == HintKind::None)
        return {};
    // Drawn afresh: only entries whose mark changed ask for one, and a cache outliving the
    // application would free its pixmaps after the window system is gone.
    const bool dark = IsDark(palette, background);
    return DrawIcon(kind, TextColor(kind, palette, background), dark ? QColor(0x20, 0x20, 0x20) : Qt::white);
}

void RuleMarks::ShowOnList(QComboBox* list, Group group) {
    const QPalette& palette = list->palette();
    for (int index = 0; index < list->count(); ++index) {
        const EntryHint& hint = m_hints.At(group, index);
        if (hint == m_shown.At(group, index))
            continue;
        if (hint.kind == HintKind::None) {
            list->setItemData(index, {}, Qt::DecorationRole);
            list->setItemData(index, {}, Qt::ForegroundRole);
            list->setItemData(index, {}, Qt::ToolTipRole);
            list->setItemData(index, {}, Qt::AccessibleDescriptionRole);
            continue;
        }
        list->setItemData(index, Icon(hint.kind, palette, QPalette::Base), Qt::DecorationRole);
        list->setItemData(index, QBrush(TextColor(hint.kind, palette, QPalette::Base)), Qt::ForegroundRole);
        // A screen reader reads an entry's description, not its tooltip.
        const QString text = ToQ(HintToolTip(hint));
        list->setItemData(index, text, Qt::ToolTipRole);
        list->setItemData(index, text, Qt::AccessibleDescriptionRole);
    }
}

void RuleMarks::ShowOnRadios(RadioGroup* radios, Group group) {
    for (int index = 0; index < static_cast<int>(radios->items().size()); ++index) {
        const EntryHint& hint = m_hints.At(group, index);
        if (hint != m_shown.At(group, index))
            MarkButton(radios->button(index), hint);
    }
}

void RuleMarks::ShowOnCard() {
    if (!m_card)
        return;
    // The box stands for the state it would change to.
    MarkButton(m_card, m_hints.pci[m_core.choice().pciChecked ? 0 : 1]);
}
