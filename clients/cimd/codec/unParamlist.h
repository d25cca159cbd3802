#pragma once
// The pieces of one CIMD2 packet: 50 entries, each "name:value". Entry 0 holds the
// operation code and the packet number ("03:5"), entries 1 onward the parameters ("021:+3620").

#include <array>
#include <string>
#include <string_view>

namespace nimbra::cimd {

inline constexpr int kParamListSize = 50;

class TParamList {
public:
    // Sets entry i; indexes outside 0..49 are ignored.
    void put(int i, std::string text);
    // Entry i; empty outside 0..49.
    const std::string& get(int i) const;
    // Text before the first ":" of entry i; empty when it has no ":".
    std::string name(int i) const;
    // Text after the first ":" of entry i; empty when it has no ":".
    std::string value(int i) const;
    // First index from 0 whose name equals `name`; stops at the first empty entry and never
    // looks past entry 48. -1 when not found.
    int find(std::string_view name) const;
    // value(find(name)), empty when not found.
    std::string valueOf(std::string_view name) const;
    // Highest index of a non-empty entry plus one; 0 for an empty list.
    int count() const;
    void clear();

private:
    std::array<std::string, kParamListSize> entries_;
};

}  // namespace nimbra::cimd
