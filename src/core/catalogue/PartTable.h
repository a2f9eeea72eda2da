#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kb {

struct Part {
    std::string orderNumber;
    std::string type;
    std::string description;
    std::string price; // as read from the price file; converted by each user
    std::string index; // first character is the part's ID-code character
};

// The 150 part slots of the catalogue, keyed by their number in OrderNumbers.
class PartTable {
  public:
    static constexpr int kSlots = 150;

    const Part& operator[](int slot) const { return m_parts[static_cast<std::size_t>(slot)]; }
    void Set(int slot, Part part);

    // Lowest slot whose order number (description) equals the text exactly, or -1.
    // Empty text never names a part: an empty slot is not a part.
    int FindPartByOrderNumber(std::string_view orderNumber) const;
    int FindPartByDescription(std::string_view description) const;

    // The part named by the text, or nullptr.
    const Part* ByOrderNumber(std::string_view orderNumber) const;
    const Part* ByDescription(std::string_view description) const;

  private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using Index = std::unordered_map<std::string, int, Hash, std::equal_to<>>;

    std::array<Part, kSlots> m_parts;
    // Lookups run on every click (check, price, code); the maps keep them constant-time.
    Index m_byOrderNumber;
    Index m_byDescription;
};

} // namespace kb
