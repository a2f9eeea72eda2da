#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/platform/Result.h"

namespace kb {

// The customer data of an order, as the customer file stores it.
struct CustomerRecord {
    enum Field { Company1, Company2, Name1, Name2, Street, City, Ident1, Ident2, Code, kFieldCount };

    std::array<std::string, kFieldCount> fields;

    std::string& operator[](Field f) { return fields[f]; }
    const std::string& operator[](Field f) const { return fields[f]; }

    // Company1, Name1, Street and City: an order without them needs the user's word.
    bool HasRequiredFields() const;

    // Key names in the customer file, in the order they are written.
    static const char* KeyName(Field f);
    // Captions of the customer dialog's labels; the order list uses them as row titles.
    static const char* LabelCaption(Field f);
};

// A customer field as the file can keep it on one line: line breaks and tabs become blanks
// (the length in characters stays, so a cursor keeps its place), and no more than the
// 2,047 characters a value of the file holds.
std::string CleanCustomerField(std::string_view text);

inline constexpr const char* kMissingCustomerFieldsText =
    "At least Company1, Name1, Street and City should be entered!";

// Reads section Data of a customer file; missing keys, section or file give empty texts.
// An unreadable file (a folder, no permission) is an error naming it.
Result<CustomerRecord> ReadCustomerFile(const std::string& path);

// Writes the nine keys into section Data in one change, keeping every other line of an
// existing file. When it cannot be written the error names the file, and the file is as it was.
Result<void> WriteCustomerFile(const std::string& path, const CustomerRecord& record);

} // namespace kb
