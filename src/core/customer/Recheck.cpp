#include "core/customer/Recheck.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/config/UnitPrice.h"
#include "core/customer/CustomerRecord.h"
#include "core/idcode/IDCode.h"
#include "core/platform/Text.h"
#include "core/platform/TextCodec.h"

namespace kb {

namespace {

namespace fs = std::filesystem;

// A customer file holds nine short keys; anything far larger is not one, and reading it
// whole would only cost memory while a folder is checked.
constexpr std::uintmax_t kMaxCustomerFileSize = 1024 * 1024;

// Why the file cannot be one to check, before it is read.
std::optional<std::string> RefusedBeforeReading(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return "Cannot read \"" + path + "\": no such file";
    if (status.type() != fs::file_type::regular)
        return std::nullopt; // the reader names what it is
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxCustomerFileSize)
        return "\"" + path + "\" is " + std::to_string(size) + " bytes long, too large for a customer file";
    return std::nullopt;
}

bool HasCustomerExtension(const std::string& name) {
    return name.size() >= 4 && text::EqualNoCase(std::string_view(name).substr(name.size() - 4), ".CST");
}

RecheckedOrder Unreadable(std::string file, std::string reason) {
    RecheckedOrder order;
    order.file = std::move(file);
    order.reason = std::move(reason);
    return order;
}

} // namespace

const char* VerdictName(RecheckVerdict verdict) {
    switch (verdict) {
    case RecheckVerdict::Valid:
        return "valid";
    case RecheckVerdict::Changed:
        return "changed";
    case RecheckVerdict::Invalid:
        return "invalid";
    case RecheckVerdict::Unreadable:
        return "unreadable";
    }
    return "";
}

std::string RecheckBasis::Currency() const {
    return catalogue && catalogue->pricesPresent ? catalogue->currency : std::string();
}

RecheckBasis MakeRecheckBasis(std::shared_ptr<const CatalogueSnapshot> catalogue, const Choice& startChoice,
                              const RuleSections& rules) {
    RecheckBasis basis;
    basis.catalogue = std::move(catalogue);
    basis.startChoice = startChoice;
    basis.rules = rules;
    return basis;
}

Result<AppliedCode> ApplyStoredCode(const std::string& prefixedCode, const Choice& startChoice,
                                    const CatalogueSnapshot& catalogue) {
    Result<DecodedCode> decoded = DecodeIDCode(prefixedCode, catalogue);
    if (!decoded)
        return decoded.error();
    return AppliedCode{ApplyDecodedCode(startChoice, *decoded, catalogue), UnmatchedControls(*decoded)};
}

RecheckedOrder RecheckCustomerFile(const std::string& path, const RecheckBasis& basis) {
    if (auto refused = RefusedBeforeReading(path))
        return Unreadable(path, *refused);
    const Result<CustomerRecord> read = ReadCustomerFile(path);
    if (!read)
        return Unreadable(path, read.error().message);
    const CustomerRecord& record = *read;
    // An empty code would leave the start-up state standing in for an order nobody saved;
    // empty, binary and foreign files end here too.
    if (record[CustomerRecord::Code].empty())
        return Unreadable(path, "\"" + path + "\" holds no ID code (key Code of section [Data])");

    RecheckedOrder order;
    order.file = path;
    order.company1 = record[CustomerRecord::Company1];
    order.name1 = record[CustomerRecord::Name1];
    order.storedCode = record[CustomerRecord::Code];
    order.choice = basis.startChoice;

    const CatalogueSnapshot& catalogue = *basis.catalogue;
    Result<AppliedCode> applied = ApplyStoredCode(order.storedCode, basis.startChoice, catalogue);
    if (!applied) {
        order.verdict = RecheckVerdict::Invalid;
        // The only code that cannot be applied is one too short; the row reports it rather
        // than repeat the dialog's word on a configuration it never changed.
        order.codeFailure = "The ID code is too short: it has " +
                            std::to_string(CharacterCount(order.storedCode)) + " characters, " +
                            std::to_string(kIDCodeDecodedLength) + " are needed (\"" + kIDCodePrefix +
                            "\" and the code up to the cable length).";
        order.statusText = order.codeFailure;
        return order;
    }
    order.unmatched = std::move(applied->unmatched);

    const Verdict verdict = Evaluate(applied->choice, catalogue, basis.rules);
    order.choice = CompleteProfibus(applied->choice, catalogue);
    order.result = verdict.result;
    order.statusText = verdict.statusText;
    if (const auto price = CheckedUnitPrice(order.choice, verdict, catalogue))
        order.price = *price;

    const Result<std::string> code = EncodeIDCode(order.choice, catalogue);
    if (code)
        order.codeNow = kIDCodePrefix + *code;
    else
        order.codeFailure = code.error().message;

    if (verdict.result != CheckResult::Passed || !code)
        order.verdict = RecheckVerdict::Invalid;
    else if (CapitalizeCode(order.codeNow) == CapitalizeCode(order.storedCode) && order.AllPlacesMatched())
        order.verdict = RecheckVerdict::Valid;
    else
        order.verdict = RecheckVerdict::Changed;
    return order;
}

CustomerFileList FindCustomerFiles(const std::vector<std::string>& paths,
                                   const std::function<bool()>& cancelled) {
    CustomerFileList list;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            list.files.push_back(path);
            continue;
        }
        fs::directory_iterator entries(path, ec);
        if (ec) {
            list.failures.push_back(Unreadable(path, "Cannot list \"" + path + "\": " + ec.message()));
            continue;
        }
        // Names as found, joined to the folder as given, so the list reads as the user typed it.
        const bool slash = !path.empty() && path.back() == '/';
        for (const fs::directory_entry& entry : entries) {
            if (cancelled && cancelled())
                return list;
            const std::string name = entry.path().filename().string();
            if (HasCustomerExtension(name))
                list.files.push_back(slash ? path + name : path + "/" + name);
        }
    }
    std::sort(list.files.begin(), list.files.end());
    return list;
}

std::vector<RecheckedOrder> RecheckOrders(const std::vector<std::string>& paths, const RecheckBasis& basis,
                                          const RecheckRun& run) {
    const auto cancelled = [&run] { return run.cancelled && run.cancelled(); };
    CustomerFileList found = FindCustomerFiles(paths, run.cancelled);
    if (cancelled())
        return {};
    const std::size_t total = found.files.size() + found.failures.size();
    std::vector<RecheckedOrder> orders = std::move(found.failures);
    const std::size_t first = orders.size();
    orders.resize(total);

    // Rows are reported in the order they are finished, by one thread at a time.
    std::mutex reporting;
    RecheckProgress pending;
    pending.total = total;
    pending.done = first;
    for (std::size_t i = 0; i < first; ++i)
        pending.rows.push_back(orders[i]);
    auto reported = std::chrono::steady_clock::now();
    const auto report = [&](const RecheckedOrder* order, bool last) {
        const std::lock_guard lock(reporting);
        if (order) {
            pending.rows.push_back(*order);
            ++pending.done;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!run.report || (!last && now - reported < run.interval))
            return;
        reported = now;
        RecheckProgress sent = std::move(pending);
        pending = RecheckProgress{{}, sent.done, total};
        run.report(std::move(sent));
    };

    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> checked{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < found.files.size() && !cancelled(); i = next++) {
            orders[first + i] = RecheckCustomerFile(found.files[i], basis);
            ++checked;
            report(&orders[first + i], false);
        }
    };
    const unsigned threads =
        std::max(1u, std::min<unsigned>(run.threads, static_cast<unsigned>(found.files.size())));
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    report(nullptr, true);

    // A cancelled run keeps only the files it finished.
    if (checked < found.files.size()) {
        std::vector<RecheckedOrder> finished(orders.begin(), orders.begin() + static_cast<long>(first));
        for (std::size_t i = first; i < orders.size(); ++i)
            if (!orders[i].file.empty())
                finished.push_back(std::move(orders[i]));
        orders = std::move(finished);
    }
    SortByFile(orders);
    return orders;
}

void SortByFile(std::vector<RecheckedOrder>& orders) {
    std::stable_sort(orders.begin(), orders.end(),
                     [](const RecheckedOrder& a, const RecheckedOrder& b) { return a.file < b.file; });
}

std::string RecheckSummary(const std::vector<RecheckedOrder>& orders) {
    std::size_t counts[4] = {};
    for (const RecheckedOrder& order : orders)
        ++counts[static_cast<int>(order.verdict)];
    std::string summary = std::to_string(orders.size()) + (orders.size() == 1 ? " order: " : " orders: ") +
                          std::to_string(counts[0]) + " valid, " + std::to_string(counts[1]) + " changed, " +
                          std::to_string(counts[2]) + " invalid";
    if (counts[3] > 0)
        summary += ", " + std::to_string(counts[3]) + " unreadable";
    return summary;
}

std::array<std::string, kRecheckColumnCount> RecheckFields(const RecheckedOrder& order,
                                                           const std::string& currency) {
    const bool unreadable = order.verdict == RecheckVerdict::Unreadable;
    return {order.file,
            VerdictName(order.verdict),
            order.company1,
            order.name1,
            order.storedCode,
            order.codeNow,
            order.result ? std::to_string(static_cast<int>(*order.result)) : std::string(),
            unreadable ? order.reason : order.statusText,
            order.price,
            order.price.empty() ? std::string() : currency};
}

std::string TabSeparated(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += '\t';
        // A tab typed into a customer field must not shift the columns.
        for (char c : fields[i])
            line += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
    return line;
}

std::string RecheckLine(const RecheckedOrder& order, const std::string& currency) {
    const auto fields = RecheckFields(order, currency);
    return TabSeparated(std::vector<std::string>(fields.begin(), fields.end()));
}

} // namespace kb
