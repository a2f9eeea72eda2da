#include "core/customer/NoOrderNotice.h"

#include <algorithm>

#include "core/platform/Paths.h"

namespace kb {

std::optional<std::string> NoOrderNotice(const std::string& path, const CustomerRecord& read) {
    const bool empty = std::all_of(read.fields.begin(), read.fields.end(),
                                   [](const std::string& field) { return field.empty(); });
    if (!empty || !paths::Exists(path))
        return std::nullopt;
    return "The file \"" + path +
           "\" holds no order, so the customer fields are empty and the configuration stays as it "
           "was. A Save will add an order to it.";
}

} // namespace kb
