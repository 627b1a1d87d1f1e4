// Synthetic contest logs for the benchmarks: contacts as a logging program
// reports them, from a pool of calls over ten bands (groups), each with its
// serial numbers and a received exchange with coordinates. Generated once per
// size and held compactly, so that a load measures the plug-in, not the
// generator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/entry_points.h"

namespace zelk::bench {

struct Contact {
    uint32_t call = 0;  // offsets of NUL-terminated texts in the set's arena
    uint32_t exchSent = 0;
    uint32_t exchRcvd = 0;
    uint32_t group = 0;  // index into the set's group texts
    uint32_t freqHz = 0;
    double day = 0.0;
};

class ContactSet {
  public:
    // `count` contacts, reproducible for a given seed. About one call in a
    // thousand is the bonus station. Each contact has a time of its own, so
    // no two are duplicates.
    ContactSet(std::size_t count, uint32_t seed);

    std::size_t Size() const { return m_contacts.size(); }
    const Contact& operator[](std::size_t i) const { return m_contacts[i]; }
    const char* Text(uint32_t offset) const { return m_arena.data() + offset; }
    const char* Group(const Contact& c) const { return m_groups[c.group].c_str(); }

    // The arguments of AddData0 and RemoveData0 for one contact.
    ContactArgs Args(const Contact& c) const;

    // A contact with a call that no generated contact has. Its texts live in
    // the set's arena: make them all before taking views of any text.
    Contact MakeUnique(uint32_t number);

    // The reference file of a log: the calls of the pool with a text each.
    std::string ReferenceFile(std::size_t entries) const;

    static constexpr const char* kOwnCall = "UA3ABC";

  private:
    uint32_t Store(std::string_view text);

    std::vector<char> m_arena;
    std::vector<Contact> m_contacts;
    std::vector<std::string> m_groups;
    std::vector<uint32_t> m_callPool;
};

}  // namespace zelk::bench
