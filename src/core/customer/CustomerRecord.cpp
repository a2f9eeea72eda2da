#include "core/customer/CustomerRecord.h"

#include "core/platform/TIniFile.h"
#include "core/platform/TextCodec.h"

namespace kb {

namespace {
constexpr const char* kSection = "Data";
constexpr std::array<const char*, CustomerRecord::kFieldCount> kKeys{
    "Company1", "Company2", "Name1", "Name2", "Street", "City", "Ident1", "Ident2", "Code"};
} // namespace

const char* CustomerRecord::KeyName(Field f) {
    return kKeys[f];
}

const char* CustomerRecord::LabelCaption(Field f) {
    return kKeys[f];
}

bool CustomerRecord::HasRequiredFields() const {
    for (Field f : {Company1, Name1, Street, City})
        if (fields[f].empty())
            return false;
    return true;
}

std::string CleanCustomerField(std::string_view text) {
    std::string clean(CutToCharacters(text, TIniFile::kMaxValueLength));
    std::string single;
    single.reserve(clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const char c = clean[i];
        // U+2028 and U+2029, the line and paragraph separators, are E2 80 A8 and E2 80 A9.
        if (c == '\xE2' && i + 2 < clean.size() && clean[i + 1] == '\x80' &&
            (clean[i + 2] == '\xA8' || clean[i + 2] == '\xA9')) {
            single += ' ';
            i += 2;
        } else {
            single += c == '\n' || c == '\r' || c == '\t' ? ' ' : c;
        }
    }
    return single;
}

Result<CustomerRecord> ReadCustomerFile(const std::string& path) {
    CustomerRecord record;
    const TIniFile ini(path);
    if (!ini.Readable())
        return Error{ini.ReadError()};
    for (int f = 0; f < CustomerRecord::kFieldCount; ++f)
        record.fields[f] = ini.ReadString(kSection, kKeys[f], "");
    return record;
}

Result<void> WriteCustomerFile(const std::string& path, const CustomerRecord& record) {
    // All nine keys in one change of the file: a failure half-way must not leave a record
    // that is neither the old order nor the new one.
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(CustomerRecord::kFieldCount);
    for (int f = 0; f < CustomerRecord::kFieldCount; ++f)
        values.emplace_back(kKeys[f], record.fields[f]);
    TIniFile ini(path);
    return ini.WriteStrings(kSection, values);
}

} // namespace kb
