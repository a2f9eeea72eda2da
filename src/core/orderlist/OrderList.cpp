#include "core/orderlist/OrderList.h"

#include <limits>

#include "core/idcode/IDCode.h"
#include "core/platform/Numbers.h"
#include "core/richtext/RtfWriter.h"

namespace kb {

namespace {

constexpr const char* kBuildFailure = "Cannot make the order list: ";
constexpr const char* kIncludedPrefix = "99999";

// One part row before it is written: the OS row shows a number and a description of its own.
struct PartRow {
    const Part* part = nullptr;
    std::string orderNumber;
    std::string description;
    std::string position;
};

class RowCollector {
  public:
    explicit RowCollector(const Configuration& config) : m_config(config) {}

    bool AddGroup(std::vector<PartRow>& rows, Group group, std::string position = {}) {
        return Add(rows, m_config.RequiredPart(group), std::move(position));
    }

    bool AddExtensionCard(std::vector<PartRow>& rows) {
        return Add(rows, m_config.RequiredExtensionPart(), {});
    }

    // The language variants of an operating system carry the consecutive order numbers
    // that follow the base part's number.
    bool AddOperatingSystem(std::vector<PartRow>& rows) {
        if (!AddGroup(rows, Group::OS))
            return false;
        PartRow& row = rows.back();
        const long long variant =
            m_config.HasSelection(Group::OSLanguage) ? m_config.choice()[Group::OSLanguage] : 0;
        const auto base = numbers::ParseWhole(row.part->orderNumber);
        if (!base || *base > std::numeric_limits<long long>::max() - variant)
            return Fail("the order number \"" + row.part->orderNumber + "\" of the operating system \"" +
                        row.part->description + "\" is not a whole number.");
        row.orderNumber = std::to_string(*base + variant);
        const std::string& language = m_config.Text(Group::OSLanguage);
        if (!language.empty())
            row.description += ", " + language;
        return true;
    }

    bool Sum(const std::vector<PartRow>& rows, double& sum) {
        sum = 0.0;
        for (const PartRow& row : rows) {
            const auto price = numbers::ParseDecimal(row.part->price, m_config.catalogue().decimalSeparator);
            if (!price)
                return Fail("the price \"" + row.part->price + "\" of the part \"" + row.part->description +
                            "\" (order number " + row.part->orderNumber + ") is not a number.");
            sum += *price;
        }
        return true;
    }

    const std::string& error() const { return m_error; }

  private:
    bool Add(std::vector<PartRow>& rows, const Result<const Part*>& found, std::string position) {
        if (!found)
            return Fail(found.error().message);
        const Part* part = *found;
        rows.push_back({part, part->orderNumber, part->description, std::move(position)});
        return true;
    }

    bool Fail(const std::string& reason) {
        m_error = kBuildFailure + reason;
        return false;
    }

    const Configuration& m_config;
    std::string m_error;
};

bool CollectOziRows(RowCollector& collector, const Configuration& config, std::vector<PartRow>& rows) {
    if (!collector.AddGroup(rows, Group::Housing) || !collector.AddGroup(rows, Group::Power) ||
        !collector.AddGroup(rows, Group::Processor) || !collector.AddGroup(rows, Group::RAM) ||
        !collector.AddOperatingSystem(rows))
        return false;
    if (config.choice().pciChecked && !collector.AddExtensionCard(rows))
        return false;
    if (!collector.AddGroup(rows, Group::HMI))
        return false;
    for (int n = 1; n <= 10; ++n) {
        if (!config.SlotHasOwnModule(n))
            continue;
        if (!collector.AddGroup(rows, Slot(n), Info(Slot(n)).controlName))
            return false;
    }
    return true;
}

// The table's cells; a row past the end makes the table grow, so no row is ever lost.
class Table {
  public:
    explicit Table(std::vector<OrderListRow>& rows) : m_rows(rows) {
        m_rows.assign(kOrderListRows, OrderListRow{});
    }

    std::string& operator()(int row, int column) {
        const auto r = static_cast<std::size_t>(row);
        if (r >= m_rows.size())
            m_rows.resize(r + 1);
        return m_rows[r][static_cast<std::size_t>(column)];
    }

    void WritePart(int row, const PartRow& part, bool pricesShown) {
        (*this)(row, 0) = part.orderNumber.starts_with(kIncludedPrefix) ? "(included)" : part.orderNumber;
        (*this)(row, 1) = part.part->type;
        (*this)(row, 2) = part.description;
        if (pricesShown)
            (*this)(row, 3) = part.part->price;
        (*this)(row, 4) = part.position;
    }

  private:
    std::vector<OrderListRow>& m_rows;
};

std::string RichTextCopy(const std::vector<OrderListRow>& rows) {
    std::vector<std::vector<std::string>> cells;
    cells.reserve(rows.size());
    for (const OrderListRow& row : rows)
        cells.emplace_back(row.begin(), row.end());
    RtfTableStyle style;
    style.tabStopsPoints = {70, 150, 325, 405, 480};
    return WriteRtfTable(cells, style);
}

} // namespace

std::string OrderList::PlainText() const {
    std::string text;
    for (const OrderListRow& row : rows) {
        for (const std::string& cell : row) {
            text += cell;
            text += '\t';
        }
        text += '\n';
    }
    return text;
}

Result<OrderList> ComposeOrderList(const OrderListInput& input) {
    const Configuration config(input.choice, input.catalogue);
    const CatalogueSnapshot& catalogue = input.catalogue;
    const bool azoVisible = input.choice.azoVisible;
    RowCollector collector(config);
    std::vector<PartRow> ozi;
    std::vector<PartRow> azo;
    if (!CollectOziRows(collector, config, ozi) ||
        (azoVisible &&
         (!collector.AddGroup(azo, Group::Display) || !collector.AddGroup(azo, Group::HMICable))))
        return Error{collector.error()};

    const Result<std::string> code = EncodeIDCode(input.choice, catalogue);
    if (!code)
        return code.error();

    double oziSum = 0.0;
    double azoSum = 0.0;
    if (input.pricesShown && (!collector.Sum(ozi, oziSum) || !collector.Sum(azo, azoSum)))
        return Error{collector.error()};
    auto format = [&catalogue](double value) {
        return numbers::FormatGeneral(value, catalogue.decimalSeparator);
    };

    OrderList list;
    Table table(list.rows);
    table(0, 0) = "Order Number";
    table(0, 1) = "Type";
    table(0, 2) = "Description";
    if (input.pricesShown)
        table(0, 3) = "Price " + catalogue.priceBase + " (" + catalogue.currency + ")";
    table(0, 4) = "Pos.";

    int r = 1;
    for (const PartRow& row : ozi)
        table.WritePart(r++, row, input.pricesShown);
    if (input.pricesShown) {
        table(r, 2) = "Subtotal Zev-Ozi";
        table(r, 3) = format(oziSum);
        ++r;
    }

    if (azoVisible) {
        ++r;
        for (const PartRow& row : azo)
            table.WritePart(r++, row, input.pricesShown);
        if (input.pricesShown) {
            table(r, 2) = "Subtotal ZEV-Azo";
            table(r, 3) = format(azoSum);
            r += 2;
            table(r, 2) = "Total";
            table(r, 3) = format(oziSum + azoSum);
            ++r;
            table(r, 3) = "======";
        }
    }

    list.code = kIDCodePrefix + *code;
    r += 2;
    table(r, 1) = "ID-Code:";
    table(r, 2) = list.code;
    r += 2;

    for (int f = CustomerRecord::Company1; f <= CustomerRecord::Ident2; ++f) {
        const auto field = static_cast<CustomerRecord::Field>(f);
        table(r, 1) = CustomerRecord::LabelCaption(field);
        table(r, 2) = input.customer[field];
        ++r;
    }

    if (input.pricesShown) {
        ++r;
        table(r, 2) = "Date of price information:";
        table(r, 3) = catalogue.priceDate;
    }

    list.rtf = RichTextCopy(list.rows);
    return list;
}

} // namespace kb
