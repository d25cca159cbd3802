#include "addressbook.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "addressbookfiles.h"
#include "atomicfile.h"
#include "codepage.h"
#include "notifier.h"
#include "unStrings.h"

namespace nimbra {
namespace {

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

std::string WithoutLineBreaks(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != '\r' && c != '\n')
            out.push_back(c);
    }
    return TrimBlanks(out);
}

void SetPicturesBelow(GroupNode& node, int picture) {
    for (GroupNode& child : node.children) {
        child.picture = picture;
        SetPicturesBelow(child, picture);
    }
}

}  // namespace

TAddressBook::TAddressBook(std::string homeFolder, TMyThread::WriteFunction write,
                           TMyThread::ErrorFunction reportSaveError)
    : home_(std::move(homeFolder)),
      groups_(FreshGroupTree()),
      saver_(std::move(write), std::move(reportSaveError)) {}

std::string TAddressBook::ContactsFilePath() const {
    return (std::filesystem::path(home_) / kContactsFileName).string();
}

std::string TAddressBook::GroupsFilePath() const {
    return (std::filesystem::path(home_) / kGroupsFileName).string();
}

void TAddressBook::LoadAddressBook() {
    LoadGroups();
    LoadContacts();
}

void TAddressBook::LoadGroups() {
    const std::string path = GroupsFilePath();
    if (!FileExists(path))
        return;
    std::string text;
    if (!ReadWholeFile(path, text)) {
        ProcessNotifier().ShowMessage(CannotReadMessage(path));
        return;
    }
    // A file without a node keeps the groups of a fresh installation.
    if (std::optional<GroupNode> tree = ParseGroupsText(text))
        groups_ = std::move(*tree);
}

void TAddressBook::LoadContacts() {
    contacts_.clear();
    phoneIndexStale_ = true;
    const std::string path = ContactsFilePath();
    if (!FileExists(path)) {
        contacts_.push_back(
            MakeContact("NIMBRA", "+441632960123", "Software developer", "All contacts"));
        return;
    }
    contactsFileUnread_ = !ReadContactsFile(path, contacts_);
    if (contactsFileUnread_)
        ProcessNotifier().ShowMessage(CannotReadMessage(path));
}

void TAddressBook::RebuildPhoneIndex() const {
    phoneIndex_.clear();
    phoneIndex_.reserve(contacts_.size());
    for (std::size_t i = 0; i < contacts_.size(); ++i)
        phoneIndex_.emplace(contacts_[i][kPhoneColumn], i);
    phoneIndexStale_ = false;
}

void TAddressBook::IndexAppended(std::size_t index) {
    if (!phoneIndexStale_)
        phoneIndex_.emplace(contacts_[index][kPhoneColumn], index);
}

std::optional<std::size_t> TAddressBook::FindContact(const std::string& number) const {
    // Text without a number (an alphanumeric sender) is nobody's number, not that of a
    // contact whose number is empty.
    const std::string normalized = NormalizePhoneNumber(number);
    if (normalized.empty())
        return std::nullopt;
    if (phoneIndexStale_)
        RebuildPhoneIndex();
    const auto it = phoneIndex_.find(normalized);
    if (it == phoneIndex_.end())
        return std::nullopt;
    return it->second;
}

std::string TAddressBook::DisplayName(const std::string& text) const {
    if (text.empty())
        return {};
    const std::optional<std::size_t> found = FindContact(text);
    return TrimBlanks(found ? EntryOrNumber(contacts_[*found]) : text);
}

std::string TAddressBook::NoteOf(const std::string& number) const {
    const std::optional<std::size_t> found = FindContact(number);
    return found ? WithoutLineBreaks(contacts_[*found][kNoteColumn]) : std::string();
}

std::string TAddressBook::GroupOf(const std::string& number) const {
    const std::optional<std::size_t> found = FindContact(number);
    return found ? WithoutLineBreaks(contacts_[*found][kGroupColumn]) : std::string();
}

void TAddressBook::AddUnknownContact(const std::string& name, const std::string& number,
                                     const std::string& group, const std::string& note) {
    const std::string normalized = NormalizePhoneNumber(number);
    if (normalized.empty() || FindContact(normalized))
        return;
    AddContact(MakeContact(name, normalized, note, group));
    RequestSave(ContactsFilePath());
}

std::string TAddressBook::NameFromEntry(const std::string& text) {
    if (text.find('(') == std::string::npos)
        return {};
    std::string outside;
    bool inside = false;
    for (const char c : text) {
        if (c == '(')
            inside = true;
        else if (c == ')')
            inside = false;
        else if (!inside)
            outside.push_back(c);
    }
    return TrimBlanks(outside);
}

void TAddressBook::CompleteEntries(const std::string& prefix,
                                   std::vector<std::string>& list) const {
    list.clear();
    if (prefix.empty())
        return;
    const std::string lowerPrefix = LowerAnsi(prefix);
    const auto startsWithPrefix = [&lowerPrefix](std::string_view cell) {
        return LowerAnsi(cell.substr(0, lowerPrefix.size())) == lowerPrefix;
    };
    for (const Contact& contact : contacts_) {
        if (startsWithPrefix(contact[kNameColumn]))
            list.push_back(EntryOrNumber(contact));
        if (startsWithPrefix(contact[kPhoneColumn]))
            list.push_back(EntryOrNumber(contact));
    }
}

std::vector<std::string> TAddressBook::GroupNames() const {
    std::vector<std::string> names;
    VisitGroups(groups_,
                [&names](const GroupNode& node, int) { names.push_back(GroupName(node)); });
    return names;
}

void TAddressBook::RequestSave(const std::string& path) {
    // A contacts file that exists but could not be read is never replaced by what this run
    // holds: that would throw away every contact in it.
    if (contactsFileUnread_ && path == ContactsFilePath()) {
        if (!unreadFileReported_)
            ProcessNotifier().ShowMessage(CannotWriteMessage(path));
        unreadFileReported_ = true;
        return;
    }
    saver_.Request(contacts_, path);
}

void TAddressBook::WaitUntilSaved() {
    saver_.WaitUntilSaved();
}

std::size_t TAddressBook::AddContact(Contact contact) {
    contacts_.push_back(std::move(contact));
    IndexAppended(contacts_.size() - 1);
    return contacts_.size() - 1;
}

void TAddressBook::ReplaceContact(std::size_t index, Contact contact) {
    if (index >= contacts_.size())
        return;
    if (contact[kPhoneColumn] != contacts_[index][kPhoneColumn])
        phoneIndexStale_ = true;
    contacts_[index] = std::move(contact);
}

void TAddressBook::DeleteContacts(const std::vector<std::size_t>& indices) {
    std::vector<bool> doomed(contacts_.size(), false);
    for (const std::size_t index : indices) {
        if (index < doomed.size())
            doomed[index] = true;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < contacts_.size(); ++i) {
        if (!doomed[i])
            contacts_[kept++] = std::move(contacts_[i]);
    }
    contacts_.resize(kept);
    phoneIndexStale_ = true;
}

void TAddressBook::SetContactChecked(std::size_t index, bool checked) {
    if (index < contacts_.size())
        SetChecked(contacts_[index], checked);
}

void TAddressBook::SortContacts(ContactColumn column, bool ascending) {
    if (column >= kContactColumns)
        return;
    // Lower-cased keys once, not at every comparison.
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(contacts_.size());
    for (std::size_t i = 0; i < contacts_.size(); ++i)
        keys.emplace_back(LowerAnsi(contacts_[i][column]), i);
    std::stable_sort(keys.begin(), keys.end(), [ascending](const auto& a, const auto& b) {
        return ascending ? a.first < b.first : b.first < a.first;
    });
    std::vector<Contact> sorted;
    sorted.reserve(contacts_.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(contacts_[key.second]));
    contacts_ = std::move(sorted);
    phoneIndexStale_ = true;
}

bool TAddressBook::WriteGroups() {
    const std::string path = GroupsFilePath();
    if (WriteFileAtomically(path, GroupsFileText(groups_)))
        return true;
    ProcessNotifier().ShowMessage(CannotWriteMessage(path));
    return false;
}

std::size_t TAddressBook::AddGroup(const std::string& name) {
    groups_.children.push_back({name, kUncheckedPicture, {}});
    return GroupCount(groups_) - 1;
}

void TAddressBook::ReplaceGroupCells(const std::string& from, const std::string& to) {
    for (Contact& contact : contacts_) {
        if (contact[kGroupColumn] == from)
            contact[kGroupColumn] = to;
    }
}

bool TAddressBook::RenameGroup(std::size_t index, const std::string& newName) {
    GroupNode* node = index == 0 ? nullptr : GroupAt(groups_, index);
    if (!node)
        return false;
    ReplaceGroupCells(node->text, newName);
    node->text = newName;
    return true;
}

bool TAddressBook::DeleteGroup(std::size_t index) {
    const GroupNode* node = index == 0 ? nullptr : GroupAt(groups_, index);
    if (!node)
        return false;
    ReplaceGroupCells(node->text, GroupName(groups_));
    return RemoveGroupAt(groups_, index);
}

void TAddressBook::SetAllMarks(bool checked) {
    for (Contact& contact : contacts_)
        SetChecked(contact, checked);
    SetPicturesBelow(groups_, checked ? kCheckedPicture : kUncheckedPicture);
}

void TAddressBook::SetGroupMarks(std::size_t index, bool checked) {
    GroupNode* node = GroupAt(groups_, index);
    if (!node)
        return;
    for (Contact& contact : contacts_) {
        if (contact[kGroupColumn] == node->text)
            SetChecked(contact, checked);
    }
    if (index != 0)
        node->picture = checked ? kCheckedPicture : kUncheckedPicture;
}

std::size_t TAddressBook::CheckedCount() const {
    return static_cast<std::size_t>(std::count_if(contacts_.begin(), contacts_.end(), IsChecked));
}

std::pair<std::string, std::string> TAddressBook::ContinueEntries() const {
    std::pair<std::string, std::string> entries;
    bool first = true;
    for (const Contact& contact : contacts_) {
        if (!IsChecked(contact))
            continue;
        if (first) {
            entries.first = EntryForm(contact);
            first = false;
        } else {
            if (!entries.second.empty())
                entries.second += ';';
            entries.second += EntryForm(contact);
        }
    }
    return entries;
}

void TAddressBook::MarkContactsIn(const std::string& text) {
    for (Contact& contact : contacts_) {
        const std::string& phone = contact[kPhoneColumn];
        SetChecked(contact, !phone.empty() && text.find(phone) != std::string::npos);
    }
}

bool TAddressBook::ImportContacts(const std::string& path) {
    const std::size_t before = contacts_.size();
    if (!ReadContactsFile(path, contacts_)) {
        ProcessNotifier().ShowMessage(CannotReadMessage(path));
        return false;
    }
    for (std::size_t i = before; i < contacts_.size(); ++i)
        IndexAppended(i);
    return true;
}

bool TAddressBook::ExportContacts(const std::string& path) const {
    if (WriteContactsFile(path, contacts_))
        return true;
    ProcessNotifier().ShowMessage(CannotWriteMessage(path));
    return false;
}

}  // namespace nimbra
