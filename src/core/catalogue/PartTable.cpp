#include "core/catalogue/PartTable.h"

namespace kb {

namespace {

template <class Map> void IndexSlot(Map& map, const std::string& key, int slot) {
    if (key.empty())
        return;
    auto [it, inserted] = map.emplace(key, slot);
    if (!inserted && slot < it->second)
        it->second = slot;
}

template <class Map> int Lookup(const Map& map, std::string_view key) {
    if (key.empty())
        return -1;
    auto it = map.find(key);
    return it == map.end() ? -1 : it->second;
}

} // namespace

void PartTable::Set(int slot, Part part) {
    auto& target = m_parts[static_cast<std::size_t>(slot)];
    target = std::move(part);
    IndexSlot(m_byOrderNumber, target.orderNumber, slot);
    IndexSlot(m_byDescription, target.description, slot);
}

int PartTable::FindPartByOrderNumber(std::string_view orderNumber) const {
    return Lookup(m_byOrderNumber, orderNumber);
}

int PartTable::FindPartByDescription(std::string_view description) const {
    return Lookup(m_byDescription, description);
}

const Part* PartTable::ByOrderNumber(std::string_view orderNumber) const {
    const int slot = FindPartByOrderNumber(orderNumber);
    return slot < 0 ? nullptr : &m_parts[static_cast<std::size_t>(slot)];
}

const Part* PartTable::ByDescription(std::string_view description) const {
    const int slot = FindPartByDescription(description);
    return slot < 0 ? nullptr : &m_parts[static_cast<std::size_t>(slot)];
}

} // namespace kb
