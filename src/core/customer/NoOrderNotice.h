#pragma once

#include <optional>
#include <string>

#include "core/customer/CustomerRecord.h"

namespace kb {

// What File Open tells about a file that exists but holds no order (none of the keys of
// section Data: a binary file, a text file of another kind), read as the record: it opens
// with empty fields, and a Save adds an order to it. Nothing for a file that holds one, nor
// for a name that does not exist, which is how a new customer file is started.
std::optional<std::string> NoOrderNotice(const std::string& path, const CustomerRecord& read);

} // namespace kb
