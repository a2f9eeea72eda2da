#include "core/session/Configurator.h"

#include <algorithm>

#include "core/config/UnitPrice.h"
#include "core/customer/NoOrderNotice.h"
#include "core/platform/Paths.h"
#include "core/platform/SafeFile.h"
#include "core/platform/TextCodec.h"

namespace kb {

namespace {

int ClampListIndex(int index, int count) {
    return index < -1 || index >= count ? -1 : index;
}

} // namespace

Configurator::ChangeScope::~ChangeScope() {
    if (--m_owner.m_commandDepth == 0 && m_owner.m_changed)
        m_owner.m_changed();
}

Configurator::UndoStep::UndoStep(Configurator& owner, bool typing)
    : m_owner(owner), m_before(owner.m_choice), m_typing(typing) {
    ++m_owner.m_undoDepth;
}

Configurator::UndoStep::~UndoStep() {
    if (--m_owner.m_undoDepth == 0 && m_owner.m_choice != m_before)
        m_owner.m_undo.Record(m_before, m_typing);
}

LoadOutcome Configurator::LoadCatalogue(const std::string& cataloguePath, const std::string& pricePath) {
    Result<Catalogue> read = ReadCatalogue(cataloguePath, pricePath);
    if (!read)
        return OutcomeOf(read.error());
    Catalogue& loaded = *read;
    ChangeScope scope(*this);
    m_settings = SettingsStore(cataloguePath, m_userSettingsFile);
    m_settingsWarning = m_settings.Overlay(loaded.settings, loaded.snapshot->pricesPresent);
    m_cataloguePath = cataloguePath;
    m_snapshot = std::move(loaded.snapshot);
    m_stored = loaded.settings;
    m_missing = std::move(loaded.missing);
    m_undo.Clear();

    if (m_snapshot->pricesPresent) {
        m_showPricesChecked = m_stored.showPrices;
        m_priceBoxCaption = kPriceBoxCaption;
    } else {
        m_showPricesChecked = false;
        m_priceBoxCaption.clear();
        m_priceText.clear();
        m_currencyText.clear();
    }
    m_standardConfiguration = m_stored.useStdConfig;

    m_choice = Choice{};
    for (const auto& info : AllGroups()) {
        int& index = m_choice[info.group];
        const int count = m_snapshot->Count(info.group);
        switch (info.kind) {
        case ControlKind::SlotList:
            index = 0;
            break;
        case ControlKind::EditableList:
            index = ClampListIndex(m_stored.osStdLanguage, count);
            break;
        case ControlKind::RadioGroup:
        case ControlKind::List:
            index = m_standardConfiguration && count > 0 ? 0 : -1;
            break;
        }
    }
    const int language = m_choice[Group::OSLanguage];
    m_checkedLanguage = language >= 0 && language <= 5 ? language : -1;
    m_startChoice = m_choice;
    return {};
}

std::string Configurator::LoadFailureText(const LoadOutcome& outcome) {
    std::string text = outcome.result == LoadResult::BadPrice ? kBadPriceText : kCatalogueMissingText;
    if (!outcome.detail.empty())
        text += "\n" + outcome.detail;
    return text;
}

std::optional<Message> Configurator::LoadWarning() const {
    if (m_missing.empty())
        return std::nullopt;
    std::string text =
        "The catalogue " + m_cataloguePath +
        " names order numbers that are not listed in [OrderNumbers]. These entries were left out:";
    for (const auto& entry : m_missing)
        text += "\n" + entry.section + "/" + entry.key + ": " + entry.orderNumber;
    return Message::Warning(text);
}

std::vector<Message> Configurator::StartUp(bool writeSettings) {
    ChangeScope scope(*this);
    std::vector<Message> messages;
    if (m_settingsWarning)
        messages.push_back(*m_settingsWarning);
    CheckConfiguration();
    const CheckResult firstResult = m_checkResult;
    if (m_snapshot->pricesPresent) {
        // Toggling "Show Price of Unit" twice brings the box into the stored state. The
        // setting is written only where the file does not hold it yet, so a read-only
        // catalogue starts without a write error.
        for (int i = 0; i < 2; ++i)
            ShowPricesToggle();
    }
    if (m_snapshot->pricesPresent && writeSettings) {
        const bool stored = m_settings.ReadBool("ShowPrices", !m_showPricesChecked);
        if (stored != m_showPricesChecked) {
            if (auto failure = WriteShowPrices())
                messages.push_back(*failure);
        }
    }
    if (firstResult == CheckResult::Passed && m_snapshot->pricesPresent)
        m_priceText = ComputeUnitPrice(m_choice, *m_snapshot);
    m_startChoice = m_choice;
    MarkSaved();
    return messages;
}

void Configurator::UserSelect(Group group, int index) {
    ChangeScope scope(*this);
    UndoStep step(*this);
    ChangeControl(Control::Of(group), index, ChangeBy::User);
}

void Configurator::UserSetPCI(bool checked) {
    ChangeScope scope(*this);
    UndoStep step(*this);
    ChangeControl(Control::Card(), checked ? 1 : 0, ChangeBy::User);
}

void Configurator::UserTypeLanguage(const std::string& text) {
    ChangeScope scope(*this);
    // Typing on is one step with the keys before it, as in any text box.
    UndoStep step(*this, true);
    m_choice = TypeLanguage(std::move(m_choice), text, *m_snapshot);
}

void Configurator::ChangeControl(Control control, int index, ChangeBy by) {
    ChangeScope scope(*this);
    Reaction reaction = React(std::move(m_choice), control, index, by, *m_snapshot);
    m_choice = std::move(reaction.choice);
    if (reaction.runsCheck)
        CheckConfiguration();
}

CheckResult Configurator::CheckConfiguration() {
    ChangeScope scope(*this);
    ++m_checkRuns;
    Result<RuleSections> rules = ReadRuleSections(m_cataloguePath);
    m_rules = rules ? std::optional<RuleSections>(std::move(*rules)) : std::nullopt;
    const Verdict verdict = Evaluate(m_choice, *m_snapshot, m_rules ? *m_rules : RuleSections{});
    m_choice = CompleteProfibus(std::move(m_choice), *m_snapshot);
    m_checkResult = verdict.result;
    m_statusText = verdict.statusText;
    m_errorDisplay = verdict.result != CheckResult::Passed;
    if (const auto price = CheckedUnitPrice(m_choice, verdict, *m_snapshot))
        m_priceText = *price;
    return verdict.result;
}

void Configurator::ShowPricesToggle() {
    m_showPricesChecked = !m_showPricesChecked;
    if (!m_showPricesChecked) {
        m_priceBoxVisible = false;
        return;
    }
    m_priceBoxVisible = true;
    m_priceBoxCaption = kPriceBoxCaption;
    CheckConfiguration();
    m_currencyText = "  " + m_snapshot->currency;
}

std::optional<Message> Configurator::WriteShowPrices() {
    if (const Result<void> written = m_settings.WriteBool("ShowPrices", m_showPricesChecked); !written)
        return Message::Error(written.error().message);
    return std::nullopt;
}

std::optional<Message> Configurator::ShowPricesClick() {
    if (!m_snapshot->pricesPresent)
        return std::nullopt;
    ChangeScope scope(*this);
    // Stored first: when the catalogue cannot be written the display stays as it was,
    // so the check mark never disagrees with the file.
    m_showPricesChecked = !m_showPricesChecked;
    auto failure = WriteShowPrices();
    m_showPricesChecked = !m_showPricesChecked;
    if (failure)
        return failure;
    ShowPricesToggle();
    return std::nullopt;
}

std::optional<Message> Configurator::SetStdConfigExecute() {
    ChangeScope scope(*this);
    const bool checked = !m_standardConfiguration;
    if (const Result<void> written = m_settings.WriteBool("UseStdConfig", checked); !written)
        return Message::Error(written.error().message);
    m_standardConfiguration = checked;
    const int index = checked ? 0 : -1;
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS, Group::HMI, Group::Power,
                    Group::Display, Group::HMICable})
        ChangeControl(Control::Of(g), index, ChangeBy::Program);
    CheckConfiguration();
    return std::nullopt;
}

std::optional<Message> Configurator::StoreOSStdLanguage(int language) {
    ChangeScope scope(*this);
    if (const Result<void> written = m_settings.WriteInteger("OSStdLanguage", language); !written)
        return Message::Error(written.error().message);
    ChangeControl(Control::Of(Group::OSLanguage), language, ChangeBy::Program);
    return std::nullopt;
}

std::optional<Message> Configurator::LanguageClick(int language) {
    ChangeScope scope(*this);
    if (auto failure = StoreOSStdLanguage(language))
        return failure;
    m_checkedLanguage = language;
    return std::nullopt;
}

Result<std::string> Configurator::CurrentIDCode() const {
    return EncodeIDCode(m_choice, *m_snapshot);
}

std::optional<Message> Configurator::ApplyIDCode(const std::string& prefixedCode) {
    if (prefixedCode.empty())
        return std::nullopt;
    ChangeScope scope(*this);
    UndoStep step(*this);
    const Result<DecodedCode> decoded = DecodeIDCode(prefixedCode, *m_snapshot);
    if (!decoded)
        return Message::Error(decoded.error().message);
    // Place by place as the controls take it, each reaction running its check as a click would.
    for (const DecodedPlace& place : decoded->places)
        if (place.selects)
            ChangeControl(place.control, place.index, ChangeBy::Program);
    m_choice = WithAzoVisibility(std::move(m_choice));
    CheckConfiguration();
    return std::nullopt;
}

std::optional<Message> Configurator::EnterIDCode(const std::string& typed) {
    ChangeScope scope(*this);
    const Result<std::string> code = NormalizeTypedCode(typed);
    if (!code)
        return Message::Error(code.error().message);
    if (auto failure = ApplyIDCode(*code))
        return failure;
    const Result<OrderList> build = BuildOrderlist();
    const Result<void> same =
        CheckRoundTrip(*code, build ? Result<std::string>(build->code) : Result<std::string>(build.error()));
    if (!same)
        return Message::Error(same.error().message);
    return std::nullopt;
}

Result<OrderList> Configurator::BuildOrderlist() {
    const OrderListInput input{m_choice, *m_snapshot, m_showPricesChecked, m_customer};
    Result<OrderList> build = ComposeOrderList(input);
    if (build) {
        ChangeScope scope(*this);
        m_customer[CustomerRecord::Code] = build->code;
        m_orderList = *build;
    }
    return build;
}

Configurator::CheckedOrderList Configurator::ComposeChecked(const std::string& refusal) {
    ChangeScope scope(*this);
    if (CheckConfiguration() != CheckResult::Passed)
        return {std::nullopt, Message::Information(refusal.empty() ? m_statusText : refusal)};
    Result<OrderList> build = BuildOrderlist();
    if (!build)
        return {std::nullopt, Message::Error(build.error().message)};
    return {std::move(*build), std::nullopt};
}

Configurator::CheckedOrderList Configurator::ShowOrderList() {
    return ComposeChecked({});
}

std::string Configurator::ProposedOrderListName() const {
    return m_customerFile.empty() ? std::string() : paths::ReplaceExtension(m_customerFile, ".rtf");
}

Result<bool> Configurator::SaveOrderList(const std::string& chosenPath) {
    std::string path = chosenPath;
    const std::string fileName = paths::FileName(path);
    if (fileName.empty() || fileName == "." || fileName == "..")
        return false;
    if (fileName.find('.') == std::string::npos)
        path += ".rtf";
    if (const Result<void> written = WriteFileSafely(path, m_orderList ? m_orderList->rtf : std::string());
        !written)
        return written.error();
    // The order now has a name: the next File Save writes its customer file beside the list.
    if (m_customerFile.empty())
        SetCustomerFile(paths::ReplaceExtension(path, ".CST"));
    return true;
}

std::optional<Message> Configurator::CustomerFieldsWarning(const CustomerRecord& fields) {
    if (fields.HasRequiredFields())
        return std::nullopt;
    return Message{Message::Kind::Warning, kMissingCustomerFieldsText, Message::Buttons::AbortIgnore};
}

void Configurator::SetCustomerFile(const std::string& path) {
    ChangeScope scope(*this);
    m_customerFile = path;
}

void Configurator::StoreCustomerFields(const CustomerRecord& fields) {
    ChangeScope scope(*this);
    for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
        m_customer.fields[f] = CleanCustomerField(fields.fields[f]);
    m_customerDataFlag = true;
}

std::vector<Message> Configurator::OpenCustomerFile(const std::string& path) {
    ChangeScope scope(*this);
    std::vector<Message> messages;
    const Result<CustomerRecord> read = ReadCustomerFile(path);
    if (!read) {
        messages.push_back(Message::Error(read.error().message));
        return messages;
    }
    const CustomerRecord& record = *read;
    m_customerFile = path;
    m_customer = record;
    m_customerDataFlag = true;
    if (auto failure = ApplyIDCode(record[CustomerRecord::Code]))
        messages.push_back(*failure);
    MarkSaved();
    if (auto notice = NoOrderNotice(path, record))
        messages.push_back(Message::Information(*notice));
    return messages;
}

std::optional<Message> Configurator::PrepareSave() {
    return ComposeChecked(kSaveRefusedText).message;
}

std::optional<Message> Configurator::SaveToCustomerFile() {
    if (m_customerFile.empty())
        return std::nullopt;
    return WriteCustomerFileTo(m_customerFile);
}

std::optional<Message> Configurator::WriteCustomerFileTo(const std::string& path) {
    ChangeScope scope(*this);
    if (const Result<void> written = WriteCustomerFile(path, m_customer); !written)
        return Message::Error(written.error().message);
    m_customerFile = path;
    MarkSaved();
    return std::nullopt;
}

void Configurator::Undo() {
    ChangeScope scope(*this);
    if (const std::optional<Choice> earlier = m_undo.Undo(m_choice))
        Restore(*earlier);
}

void Configurator::Redo() {
    ChangeScope scope(*this);
    if (const std::optional<Choice> later = m_undo.Redo(m_choice))
        Restore(*later);
}

void Configurator::Restore(const Choice& choice) {
    // The check sets the status and the price as after the user's own change.
    m_choice = choice;
    CheckConfiguration();
}

void Configurator::MarkSaved() {
    m_savedCustomer = m_customer;
    m_savedChoice = m_choice;
}

bool Configurator::OrderDiffers() const {
    // The code follows from the configuration, so only the texts the user typed count.
    for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
        if (m_customer.fields[f] != m_savedCustomer.fields[f])
            return true;
    return m_choice != m_savedChoice;
}

void Configurator::RestoreOrder(const CustomerRecord& record, const std::string& customerFile,
                                const Choice& choice) {
    ChangeScope scope(*this);
    UndoStep step(*this);
    m_customer = record;
    m_customerFile = customerFile;
    m_customerDataFlag = true;
    Restore(choice);
}

std::string Configurator::WindowTitle() const {
    std::string title = std::string(kApplicationTitle) + kProgramVersion;
    const std::string& name = m_customer[CustomerRecord::Name1];
    title += " [Customer: " + (name.empty() ? std::string("----") : name);
    // Up to ten folder levels are stripped, each round keeping at most 100 characters;
    // both separators count so that Linux paths show their file name too.
    std::string file = m_customerFile;
    for (int round = 0; round < 10; ++round) {
        const auto separator = file.find_first_of("\\/");
        if (separator == std::string::npos)
            break;
        file = std::string(CutToCharacters(std::string_view(file).substr(separator + 1), 100));
    }
    // A name the file system holds in another 8-bit encoding still shows as text.
    title += "] [File: " + (file.empty() ? std::string("----") : DecodeText(file)) + "]";
    return title;
}

} // namespace kb
