#include "addressbookfiles.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "atomicfile.h"
#include "unStrings.h"

namespace nimbra {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string LineBreaksToSpaces(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\r', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

void AppendContactLine(std::string& out, const Contact& contact) {
    for (std::size_t column = 0; column < kContactColumns; ++column) {
        if (column > 0)
            out += ';';
        out += FileCell(contact[column]);
    }
    out += kLineEnd;
}

}  // namespace

Contact ContactsTitleRow() {
    return {"", "Name", "Phone", "Note", "Group"};
}

std::string FileCell(std::string_view cell) {
    std::string text = LineBreaksToSpaces(cell);
    if (text.find_first_of(";,\"") == std::string::npos)
        return text;
    return '"' + ReplaceAll("\"", "\"\"", text) + '"';
}

std::string ContactsFileText(const std::vector<Contact>& contacts) {
    std::string out;
    AppendContactLine(out, ContactsTitleRow());
    for (const Contact& contact : contacts)
        AppendContactLine(out, contact);
    return out;
}

Contact ParseContactLine(std::string_view line) {
    Contact cells;
    std::size_t column = 0;
    bool quoted = false;
    bool afterQuote = false;
    const auto add = [&](char c) {
        if (column < kContactColumns)
            cells[column].push_back(c);
    };
    for (const char c : line) {
        if (c == '"') {
            if (!quoted && afterQuote)
                add('"');
            quoted = !quoted;
            afterQuote = true;
            continue;
        }
        afterQuote = false;
        if (!quoted && (c == ';' || c == ','))
            ++column;
        else
            add(c);
    }
    return cells;
}

std::vector<Contact> ParseContactsText(std::string_view text) {
    std::vector<Contact> contacts;
    const std::vector<std::string_view> lines = TextLines(text);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!lines[i].empty())
            contacts.push_back(ParseContactLine(lines[i]));
    }
    return contacts;
}

std::string GroupsFileText(const GroupNode& root) {
    std::string out;
    VisitGroups(root, [&out](const GroupNode& node, int depth) {
        out.append(static_cast<std::size_t>(depth), '\t');
        out += LineBreaksToSpaces(node.text);
        out += kLineEnd;
    });
    return out;
}

std::optional<GroupNode> ParseGroupsText(std::string_view text) {
    std::optional<GroupNode> root;
    // path[d]: the latest node of depth d, the parent of the next node of depth d + 1.
    std::vector<GroupNode*> path;
    for (const std::string_view line : TextLines(text)) {
        const std::size_t tabs = std::min(line.find_first_not_of('\t'), line.size());
        std::string nodeText(line.substr(tabs));
        // A line of tabs alone names no group.
        if (nodeText.empty())
            continue;
        if (!root) {
            root = GroupNode{std::move(nodeText), kCheckedPicture, {}};
            path = {&*root};
            continue;
        }
        const std::size_t depth =
            std::clamp<std::size_t>(tabs, 1, std::min(path.size(), kMaxGroupDepth));
        GroupNode* parent = path[depth - 1];
        parent->children.push_back({std::move(nodeText), kUncheckedPicture, {}});
        path.resize(depth);
        path.push_back(&parent->children.back());
    }
    return root;
}

bool ReadContactsFile(const std::string& path, std::vector<Contact>& contacts) {
    std::string text;
    if (!ReadWholeFile(path, text))
        return false;
    std::vector<Contact> read = ParseContactsText(text);
    contacts.insert(contacts.end(), std::make_move_iterator(read.begin()),
                    std::make_move_iterator(read.end()));
    return true;
}

bool WriteContactsFile(const std::string& path, const std::vector<Contact>& contacts) {
    return WriteFileDurably(path, ContactsFileText(contacts));
}

std::string CannotReadMessage(const std::string& path) {
    return "Could not open file: " + path;
}

std::string CannotWriteMessage(const std::string& path) {
    return "Can't write to file:\r" + path;
}

}  // namespace nimbra
