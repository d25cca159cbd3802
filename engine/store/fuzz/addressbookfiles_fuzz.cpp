// Any bytes read as a contacts file or a groups file parse without fault, and whatever they
// give survives being written and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "addressbookfiles.h"

namespace {

using namespace nimbra;

// Text and shape of a group tree, one line per node.
std::vector<std::string> Outline(const GroupNode& root) {
    std::vector<std::string> lines;
    VisitGroups(root, [&lines](const GroupNode& node, int depth) {
        lines.push_back(std::to_string(depth) + ":" + node.text);
    });
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::vector<Contact> contacts = ParseContactsText(input);
    if (ParseContactsText(ContactsFileText(contacts)) != contacts)
        std::abort();

    if (const std::optional<GroupNode> groups = ParseGroupsText(input)) {
        const std::optional<GroupNode> again = ParseGroupsText(GroupsFileText(*groups));
        if (!again || Outline(*again) != Outline(*groups))
            std::abort();
    }
    return 0;
}
