#include "app/Configurator.h"

#include "config/ConfigurationCheck.h"
#include "config/UnitPrice.h"
#include "platform/Paths.h"
#include "platform/TIniFile.h"
#include "platform/TextCodec.h"

namespace {

constexpr const char* kGeneral = "General";

int ClampRadioIndex(int index, int count) {
    if (index < -1)
        return -1;
    return index >= count ? count - 1 : index;
}

int ClampListIndex(int index, int count) {
    return index < -1 || index >= count ? -1 : index;
}

int Count(const OptionList& list) {
    return static_cast<int>(list.items.size());
}

} // namespace

LoadOutcome Configurator::LoadCatalogue(const std::string& cataloguePath, const std::string& pricePath) {
    Catalogue loaded;
    const LoadOutcome outcome = ReadCatalogue(cataloguePath, pricePath, loaded);
    if (outcome.result != kLoaded)
        return outcome;
    m_catalogue = std::move(loaded);
    m_cataloguePath = cataloguePath;

    if (m_catalogue.pricesPresent) {
        m_showPricesChecked = m_catalogue.showPrices;
        m_priceBoxCaption = kPriceBoxCaption;
    } else {
        m_showPricesChecked = false;
        m_priceBoxCaption.clear();
        m_priceText.clear();
        m_currencyText.clear();
    }
    m_standardConfiguration = m_catalogue.useStdConfig;

    m_selections = Selections{};
    for (const auto& info : AllGroups()) {
        auto& list = m_selections[info.group];
        list.items = m_catalogue.options[static_cast<std::size_t>(info.group)];
        switch (info.kind) {
        case ControlKind::SlotList:
            list.items.insert(list.items.begin(), kEmptySlotText);
            list.index = 0;
            break;
        case ControlKind::EditableList:
            list.index = ClampListIndex(m_catalogue.osStdLanguage, Count(list));
            break;
        case ControlKind::RadioGroup:
        case ControlKind::List:
            list.index = m_standardConfiguration && !list.items.empty() ? 0 : -1;
            break;
        }
    }
    const int language = m_selections[Group::OSLanguage].index;
    m_checkedLanguage = language >= 0 && language <= 5 ? language : -1;
    m_selections.pciCaption = m_catalogue.extensionCaption;
    m_selections.pciChecked = false;
    m_selections.azoVisible = true;
    return outcome;
}

std::string Configurator::LoadFailureText(const LoadOutcome& outcome) {
    std::string text = outcome.result == kBadPrice ? kBadPriceText : kCatalogueMissingText;
    if (!outcome.detail.empty())
        text += "\n" + outcome.detail;
    return text;
}

std::optional<Message> Configurator::LoadWarning() const {
    if (m_catalogue.missing.empty())
        return std::nullopt;
    std::string text =
        "The catalogue " + m_cataloguePath +
        " names order numbers that are not listed in [OrderNumbers]. These entries were left out:";
    for (const auto& entry : m_catalogue.missing)
        text += "\n" + entry.section + "/" + entry.key + ": " + entry.orderNumber;
    return Message::Warning(text);
}

std::vector<Message> Configurator::StartUp(bool writeSettings) {
    std::vector<Message> messages;
    CheckConfiguration();
    const int firstResult = m_checkResult;
    if (m_catalogue.pricesPresent) {
        // Toggling "Show Price of Unit" twice brings the box into the stored state. The
        // setting is written only where the file does not hold it yet, so a read-only
        // catalogue starts without a write error.
        for (int i = 0; i < 2; ++i)
            ShowPricesToggle();
    }
    if (m_catalogue.pricesPresent && writeSettings) {
        const TIniFile ini(m_cataloguePath);
        const bool stored = ini.ReadBool(kGeneral, "ShowPrices", !m_showPricesChecked);
        if (stored != m_showPricesChecked) {
            if (auto failure = WriteShowPrices())
                messages.push_back(*failure);
        }
    }
    if (firstResult == kCheckPassed)
        UpdateUnitPrice();
    return messages;
}

void Configurator::UserSelect(Group group, int index) {
    auto& list = m_selections[group];
    list.index = ClampListIndex(index, Count(list));
    list.editText.clear();
    RunHandler(group);
}

void Configurator::UserSetPCI(bool checked) {
    m_selections.pciChecked = checked;
    CheckConfiguration();
}

void Configurator::UserTypeLanguage(const std::string& text) {
    auto& list = m_selections[Group::OSLanguage];
    list.index = -1;
    list.editText = text;
    for (int i = 0; i < Count(list); ++i) {
        if (list.items[static_cast<std::size_t>(i)] == text) {
            list.index = i;
            list.editText.clear();
            break;
        }
    }
}

void Configurator::SetRadioIndex(Group group, int index) {
    auto& list = m_selections[group];
    const int clamped = ClampRadioIndex(index, Count(list));
    if (clamped == list.index)
        return;
    list.index = clamped;
    RunHandler(group);
}

void Configurator::SetListIndex(Group group, int index) {
    auto& list = m_selections[group];
    list.index = ClampListIndex(index, Count(list));
    list.editText.clear();
}

void Configurator::SetPCIChecked(bool checked) {
    if (checked == m_selections.pciChecked)
        return;
    m_selections.pciChecked = checked;
    CheckConfiguration();
}

void Configurator::RunHandler(Group group) {
    if (group == Group::OSLanguage)
        return;
    if (group == Group::HMI)
        HMIChange();
    else
        CheckConfiguration();
}

void Configurator::ApplyHMIVisibility() {
    m_selections.azoVisible = m_selections[Group::HMI].index == 0;
}

void Configurator::HMIChange() {
    ApplyHMIVisibility();
    CheckConfiguration();
}

int Configurator::CheckConfiguration() {
    ++m_checkRuns;
    const CheckVerdict verdict =
        RunConfigurationCheck(m_selections, m_catalogue.parts, ReadRuleSections(m_cataloguePath));
    m_checkResult = verdict.result;
    m_statusText = verdict.statusText;
    m_errorDisplay = verdict.error || verdict.result != kCheckPassed;
    if (verdict.result != kCheckIncomplete)
        UpdateUnitPrice();
    return verdict.result;
}

void Configurator::UpdateUnitPrice() {
    if (!m_catalogue.pricesPresent)
        return;
    m_priceText = ComputeUnitPrice(m_selections, m_catalogue.parts, m_catalogue.decimalSeparator);
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
    m_currencyText = "  " + m_catalogue.currency;
}

std::optional<Message> Configurator::WriteShowPrices() {
    TIniFile ini(m_cataloguePath);
    std::string error;
    if (!ini.WriteBool(kGeneral, "ShowPrices", m_showPricesChecked, &error))
        return Message::Error(error);
    return std::nullopt;
}

std::optional<Message> Configurator::ShowPricesClick() {
    if (!m_catalogue.pricesPresent)
        return std::nullopt;
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
    const bool checked = !m_standardConfiguration;
    TIniFile ini(m_cataloguePath);
    std::string error;
    if (!ini.WriteBool(kGeneral, "UseStdConfig", checked, &error))
        return Message::Error(error);
    m_standardConfiguration = checked;
    const int index = checked ? 0 : -1;
    for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS})
        SetRadioIndex(g, index);
    for (Group g : {Group::HMI, Group::Power, Group::Display, Group::HMICable})
        SetListIndex(g, index);
    CheckConfiguration();
    return std::nullopt;
}

std::optional<Message> Configurator::StoreOSStdLanguage(int language) {
    TIniFile ini(m_cataloguePath);
    std::string error;
    if (!ini.WriteInteger(kGeneral, "OSStdLanguage", language, &error))
        return Message::Error(error);
    SetListIndex(Group::OSLanguage, language);
    return std::nullopt;
}

std::optional<Message> Configurator::LanguageClick(int language) {
    if (auto failure = StoreOSStdLanguage(language))
        return failure;
    m_checkedLanguage = language;
    return std::nullopt;
}

EncodedCode Configurator::EncodeIDCode() const {
    return ::EncodeIDCode(m_selections, m_catalogue.parts);
}

std::optional<Message> Configurator::ApplyIDCode(const std::string& prefixedCode) {
    if (prefixedCode.empty())
        return std::nullopt;
    const std::string error = DecodeIDCode(prefixedCode, m_catalogue.parts, *this);
    if (!error.empty())
        return Message::Error(error);
    ApplyHMIVisibility();
    CheckConfiguration();
    return std::nullopt;
}

OrderListBuild Configurator::BuildOrderlist(const OrderListDesign& design) {
    const OrderListInput input{
        m_selections,         m_catalogue.parts,     m_showPricesChecked,          m_catalogue.priceBase,
        m_catalogue.currency, m_catalogue.priceDate, m_catalogue.decimalSeparator, m_customer};
    OrderListBuild build = ComposeOrderList(input, design);
    if (build.ok)
        m_customer[CustomerRecord::Code] = build.list.code;
    return build;
}

void Configurator::StoreCustomerFields(const CustomerRecord& fields) {
    for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
        m_customer.fields[f] = fields.fields[f];
    m_customerDataFlag = true;
}

std::vector<Message> Configurator::OpenCustomerFile(const std::string& path) {
    std::vector<Message> messages;
    std::string error;
    const CustomerRecord record = ReadCustomerFile(path, &error);
    if (!error.empty()) {
        messages.push_back(Message::Error(error));
        return messages;
    }
    m_customerFile = path;
    m_customer = record;
    m_customerDataFlag = true;
    if (auto failure = ApplyIDCode(record[CustomerRecord::Code]))
        messages.push_back(*failure);
    return messages;
}

std::optional<Message> Configurator::PrepareSave() {
    if (CheckConfiguration() != kCheckPassed)
        return Message::Information(kSaveRefusedText);
    const OrderListBuild build = BuildOrderlist();
    if (!build.ok)
        return Message::Error(build.error);
    return std::nullopt;
}

std::optional<Message> Configurator::WriteCustomerFile() {
    if (m_customerFile.empty())
        return std::nullopt;
    std::string error;
    if (!::WriteCustomerFile(m_customerFile, m_customer, &error))
        return Message::Error(error);
    return std::nullopt;
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
