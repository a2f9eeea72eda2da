#include "core/session/Drafts.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/catalogue/CatalogueSnapshot.h"
#include "core/customer/Recheck.h"
#include "core/idcode/IDCode.h"
#include "core/platform/Paths.h"
#include "core/platform/SafeFile.h"
#include "core/platform/TIniFile.h"
#include "core/platform/Text.h"
#include "core/session/Configurator.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataSection = "Data";
constexpr const char* kDraftSection = "Draft";
constexpr const char* kNamePrefix = "draft-";
constexpr const char* kNameSuffix = ".CST";

// A small file of /proc, read whole; empty when it cannot be read.
std::string ReadProcFile(const std::string& path) {
    std::string text;
    if (std::FILE* file = std::fopen(path.c_str(), "re")) {
        char buffer[1024];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

bool ParseUnsigned(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Field 22 of /proc/PID/stat: the start in clock ticks after boot. The command name (field
// 2) is in parentheses and may hold blanks and parentheses itself, so fields are counted
// from the last ')'.
std::optional<std::uint64_t> StartTimeOf(long pid) {
    const std::string stat = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::string_view rest = std::string_view(stat).substr(close + 1);
    for (int field = 3; field <= 22; ++field) {
        const auto start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(start);
        const auto end = std::min(rest.find(' '), rest.size());
        if (field == 22) {
            std::uint64_t value = 0;
            if (!ParseUnsigned(rest.substr(0, end), value))
                return std::nullopt;
            return value;
        }
        rest.remove_prefix(end);
    }
    return std::nullopt;
}

const std::string& CurrentBoot() {
    static const std::string boot = [] {
        std::string id = ReadProcFile("/proc/sys/kernel/random/boot_id");
        return std::string(text::Trim(id.substr(0, id.find('\n'))));
    }();
    return boot;
}

// The owner a draft's file name gives, for a file that cannot be read.
std::optional<DraftOwner> OwnerFromName(const std::string& name) {
    if (!name.starts_with(kNamePrefix) || name.size() <= std::strlen(kNamePrefix) + std::strlen(kNameSuffix))
        return std::nullopt;
    std::string_view middle = std::string_view(name).substr(std::strlen(kNamePrefix));
    middle.remove_suffix(std::strlen(kNameSuffix));
    const auto dash = middle.find('-');
    std::uint64_t pid = 0;
    DraftOwner owner;
    if (dash == std::string_view::npos || !ParseUnsigned(middle.substr(0, dash), pid) ||
        !ParseUnsigned(middle.substr(dash + 1), owner.startTime))
        return std::nullopt;
    owner.pid = static_cast<long>(pid);
    return owner;
}

bool EndsWithNoCase(const std::string& name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           text::EqualNoCase(std::string_view(name).substr(name.size() - suffix.size()), suffix);
}

Result<void> MakePrivateFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return {};
    fs::path made;
    for (const auto& part : folder) {
        made /= part;
        if (fs::is_directory(made, ec))
            continue;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return Error{"Cannot create the folder \"" + made.string() + "\": " + std::strerror(errno)};
    }
    return {};
}

std::string OrDashes(const std::string& text) {
    return text.empty() ? std::string("----") : text;
}

} // namespace

DraftOwner CurrentProcess() {
    static const DraftOwner self = [] {
        DraftOwner owner;
        owner.pid = static_cast<long>(::getpid());
        owner.startTime = StartTimeOf(owner.pid).value_or(0);
        owner.boot = CurrentBoot();
        return owner;
    }();
    return self;
}

bool IsRunning(const DraftOwner& owner) {
    if (owner.pid <= 0)
        return false;
    if (!owner.boot.empty() && !CurrentBoot().empty() && owner.boot != CurrentBoot())
        return false;
    if (const std::optional<std::uint64_t> start = StartTimeOf(owner.pid))
        return *start == owner.startTime;
    // Without /proc nothing tells a reused id apart: a process of that id counts as the owner.
    if (CurrentProcess().startTime == 0)
        return ::kill(static_cast<pid_t>(owner.pid), 0) == 0 || errno == EPERM;
    return false;
}

std::string DraftsFolder(const char* xdgStateHome, const char* home) {
    const std::string state = paths::StateFolder(xdgStateHome, home);
    return state.empty() ? state : state + "/drafts";
}

std::string DraftsFolder() {
    return DraftsFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

std::string CatalogueStamp(const CatalogueSnapshot& catalogue) {
    // FNV-1a over every entry; a stamp, not a defence: the catalogue is the user's own.
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](std::string_view text, char end) {
        for (const char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        hash ^= static_cast<unsigned char>(end);
        hash *= 1099511628211ull;
    };
    for (const GroupInfo& info : AllGroups()) {
        for (const std::string& item : catalogue.Items(info.group))
            add(item, '\n');
        add({}, '\x1f');
    }
    add(catalogue.extensionCaption, '\n');
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string DraftFileName(const DraftOwner& owner) {
    return kNamePrefix + std::to_string(owner.pid) + "-" + std::to_string(owner.startTime) + kNameSuffix;
}

Result<std::string> ComposeDraft(const Draft& draft) {
    TIniFile::Values data;
    for (int f = 0; f < CustomerRecord::kFieldCount; ++f) {
        const auto field = static_cast<CustomerRecord::Field>(f);
        data.emplace_back(CustomerRecord::KeyName(field), draft.customer[field]);
    }
    TIniFile::Values own{{"Version", "1"},
                         {"Time", draft.time},
                         {"CustomerFile", draft.customerFile},
                         {"Catalogue", draft.catalogueStamp}};
    for (const GroupInfo& info : AllGroups())
        own.emplace_back(info.controlName, std::to_string(draft.choice[info.group]));
    own.emplace_back("TypedLanguage", draft.choice.typedLanguage);
    own.emplace_back("PCI", draft.choice.pciChecked ? "1" : "0");
    own.emplace_back("ZEVAzo", draft.choice.azoVisible ? "1" : "0");
    own.emplace_back("ProcessID", std::to_string(draft.owner.pid));
    own.emplace_back("ProcessStart", std::to_string(draft.owner.startTime));
    own.emplace_back("Boot", draft.owner.boot);
    return TIniFile::Compose({{kDataSection, data}, {kDraftSection, own}});
}

Result<Draft> ReadDraft(const std::string& path) {
    const TIniFile ini(path);
    if (!ini.Readable())
        return Error{ini.ReadError()};
    Draft draft;
    std::uint64_t pid = 0;
    if (!ini.SectionExists(kDraftSection) ||
        !ParseUnsigned(ini.ReadString(kDraftSection, "ProcessID", ""), pid) || pid == 0 ||
        !ParseUnsigned(ini.ReadString(kDraftSection, "ProcessStart", ""), draft.owner.startTime))
        return Error{"\"" + path + "\" is not a draft of an order (its section [Draft] names no process)"};
    draft.owner.pid = static_cast<long>(pid);
    draft.owner.boot = ini.ReadString(kDraftSection, "Boot", "");
    for (int f = 0; f < CustomerRecord::kFieldCount; ++f) {
        const auto field = static_cast<CustomerRecord::Field>(f);
        draft.customer[field] = ini.ReadString(kDataSection, CustomerRecord::KeyName(field), "");
    }
    draft.time = ini.ReadString(kDraftSection, "Time", "");
    draft.customerFile = ini.ReadString(kDraftSection, "CustomerFile", "");
    draft.catalogueStamp = ini.ReadString(kDraftSection, "Catalogue", "");
    for (const GroupInfo& info : AllGroups())
        draft.choice[info.group] = ini.ReadInteger(kDraftSection, info.controlName, -1);
    draft.choice.typedLanguage = ini.ReadString(kDraftSection, "TypedLanguage", "");
    draft.choice.pciChecked = ini.ReadBool(kDraftSection, "PCI", false);
    draft.choice.azoVisible = ini.ReadBool(kDraftSection, "ZEVAzo", true);
    return draft;
}

Result<void> WriteDraftFile(const std::string& path, std::string_view content) {
    if (Result<void> made = MakePrivateFolder(fs::path(path).parent_path()); !made)
        return made;
    return WriteFileSafely(path, content, FileMode::Private);
}

Result<void> RemoveDraftFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return Error{"Cannot remove \"" + path + "\": " + std::strerror(errno)};
    return {};
}

std::vector<KeptDraft> FindKeptDrafts(const std::string& folder,
                                      const std::function<bool(const DraftOwner&)>& running) {
    std::vector<KeptDraft> kept;
    std::error_code ec;
    fs::directory_iterator entries(folder, ec);
    if (ec)
        return kept;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        // Temporary files of a write in progress start with a dot.
        if (name.starts_with('.') || !EndsWithNoCase(name, kNameSuffix) || entry.is_directory(ec))
            continue;
        const std::string path = entry.path().string();
        Result<Draft> draft = ReadDraft(path);
        const std::optional<DraftOwner> owner =
            draft ? std::optional<DraftOwner>(draft->owner) : OwnerFromName(name);
        if (owner && running(*owner))
            continue;
        if (draft)
            kept.push_back({path, std::move(*draft), {}});
        else
            kept.push_back({path, std::nullopt, draft.error().message});
    }
    std::sort(kept.begin(), kept.end(),
              [](const KeptDraft& a, const KeptDraft& b) { return a.path < b.path; });
    return kept;
}

void RemoveStaleTemporaries(const std::string& folder) {
    std::error_code ec;
    const auto before = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".kb") && name.ends_with(".tmp") && entry.is_regular_file(ec) &&
            entry.last_write_time(ec) < before)
            fs::remove(entry.path(), ec);
    }
}

DraftRestore PrepareRestore(const Draft& draft, const Configurator& configurator) {
    DraftRestore restore{draft.customer, draft.customerFile, configurator.choice()};
    const CatalogueSnapshot& catalogue = *configurator.snapshot();
    if (draft.catalogueStamp == CatalogueStamp(catalogue)) {
        restore.choice = draft.choice;
        // A hand-edited position past a list shows nothing, as a list does.
        for (const GroupInfo& info : AllGroups()) {
            int& index = restore.choice[info.group];
            if (index < -1 || index >= catalogue.Count(info.group))
                index = -1;
        }
        if (restore.choice[Group::OSLanguage] >= 0)
            restore.choice.typedLanguage.clear();
        return restore;
    }
    // An empty code applies nothing, as with File Open: the configuration stays.
    const std::string& code = draft.customer[CustomerRecord::Code];
    if (code.empty())
        return restore;
    if (Result<AppliedCode> applied = ApplyStoredCode(code, configurator.startChoice(), catalogue))
        restore.choice = applied->choice;
    return restore;
}

std::string DraftOfferText(const KeptDraft& kept, const Configurator& configurator) {
    if (!kept.draft)
        return "A kept draft cannot be read: " + kept.problem;
    const Draft& draft = *kept.draft;
    const std::string& company = draft.customer[CustomerRecord::Company1];
    const std::string& name = draft.customer[CustomerRecord::Name1];
    std::string text =
        "An order that was not saved was kept when the program ended unexpectedly: " +
        (company.empty() && name.empty() ? "no customer data" : OrDashes(company) + " / " + OrDashes(name)) +
        ", " + OrDashes(draft.time.substr(0, 16)) + ", " +
        (draft.customerFile.empty() ? "no customer file" : paths::FileName(draft.customerFile));
    if (draft.catalogueStamp == CatalogueStamp(*configurator.snapshot()))
        return text;
    // Without readable rules the check runs as it does then: without them.
    const Result<RuleSections> rules = ReadRuleSections(configurator.cataloguePath());
    const RecheckBasis basis = MakeRecheckBasis(configurator.snapshot(), configurator.startChoice(),
                                                rules ? *rules : RuleSections{});
    const RecheckedOrder order = RecheckCustomerFile(kept.path, basis);
    if (order.verdict == RecheckVerdict::Unreadable)
        return text +
               ". The catalogue has changed since, and the draft holds no ID code: Restore brings back "
               "the customer data only.";
    text += ". The catalogue has changed since; restored by its ID code the order is ";
    text += VerdictName(order.verdict);
    if (!order.statusText.empty())
        text += ": " + order.statusText;
    return text.ends_with('.') ? text : text + ".";
}

DraftKeeper::DraftKeeper(std::string folder, DraftOwner self)
    : m_folder(std::move(folder)), m_self(std::move(self)) {
    if (!m_folder.empty())
        m_path = (fs::path(m_folder) / DraftFileName(m_self)).string();
}

DraftKeeper::Step DraftKeeper::Changed(const Configurator& configurator) {
    if (!enabled())
        return Step::None;
    if (configurator.OrderDiffers())
        return Step::Schedule;
    return m_mayExist ? Step::RemoveNow : Step::None;
}

std::optional<DraftKeeper::Job> DraftKeeper::Due(const Configurator& configurator, const std::string& time) {
    if (!enabled())
        return std::nullopt;
    if (!configurator.OrderDiffers())
        return Discard();
    // The code is left out: it follows from the choice.
    Kept now{configurator.customer().fields, configurator.choice(), configurator.customerFile()};
    now.texts[CustomerRecord::Code].clear();
    if (m_kept && *m_kept == now)
        return std::nullopt;
    if (m_stamp.empty())
        m_stamp = CatalogueStamp(*configurator.snapshot());
    Draft draft{CustomerRecord{now.texts}, now.choice, now.customerFile, m_stamp, time, m_self};
    if (const Result<std::string> code = configurator.CurrentIDCode())
        draft.customer[CustomerRecord::Code] = kIDCodePrefix + *code;
    Result<std::string> content = ComposeDraft(draft);
    if (!content)
        return std::nullopt;
    m_kept = std::move(now);
    m_mayExist = true;
    return Job{Job::Kind::Write, m_path, std::move(*content)};
}

std::optional<DraftKeeper::Job> DraftKeeper::Discard() {
    if (!m_mayExist)
        return std::nullopt;
    m_kept.reset();
    m_mayExist = false;
    return Job{Job::Kind::Remove, m_path, {}};
}

Result<void> RunDraftJob(const DraftKeeper::Job& job) {
    return job.kind == DraftKeeper::Job::Kind::Write ? WriteDraftFile(job.path, job.content)
                                                     : RemoveDraftFile(job.path);
}

std::string DraftTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace kb
