#include "addressbook.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
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

// A group name on one line of the groups file: tabs there would change its depth, line
// breaks would split it.
std::string CleanGroupName(const std::string& name) {
    std::string out = name;
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return TrimBlanks(out);
}

// Every contact enters the book through here, whichever way it comes.
Contact Admitted(Contact contact) {
    contact[kNameColumn] = NameWithoutParentheses(std::move(contact[kNameColumn]));
    return contact;
}

// Phone cells are compared as numbers: a cell typed as "+36 20 123-4567" is +36201234567.
std::string PhoneKey(const Contact& contact) {
    return NormalizePhoneNumber(contact[kPhoneColumn]);
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
      saver_(contacts_, std::move(write), std::move(reportSaveError)) {}

std::string TAddressBook::ContactsFilePath() const {
    return (std::filesystem::path(home_) / kContactsFileName).string();
}

std::string TAddressBook::GroupsFilePath() const {
    return (std::filesystem::path(home_) / kGroupsFileName).string();
}

void TAddressBook::LoadAddressBook() {
    LoadGroups();
    LoadContacts();
    Changed(BookChange::kGroups);
}

void TAddressBook::Changed(BookChange change) const {
    if (onChange)
        onChange(change);
}

void TAddressBook::LoadGroups() {
    const std::string path = GroupsFilePath();
    if (!FileExists(path))
        return;
    std::string text;
    groupsFile_.unread = !ReadWholeFile(path, text);
    if (groupsFile_.unread) {
        ProcessNotifier().ShowMessage(CannotReadMessage(path));
        return;
    }
    // A file without a node keeps the groups of a fresh installation.
    if (std::optional<GroupNode> tree = ParseGroupsText(text))
        groups_ = std::move(*tree);
}

void TAddressBook::LoadContacts() {
    std::vector<Contact> loaded;
    const std::string path = ContactsFilePath();
    if (!FileExists(path)) {
        // The sample contact belongs to the whole book: the root of the groups just loaded.
        loaded.push_back(
            MakeContact("NIMBRA", "+441632960123", "Software developer", GroupName(groups_)));
    } else {
        contactsFile_.unread = !ReadContactsFile(path, loaded);
        if (contactsFile_.unread)
            ProcessNotifier().ShowMessage(CannotReadMessage(path));
    }
    for (Contact& contact : loaded)
        contact = Admitted(std::move(contact));
    auto lock = saver_.LockContacts();
    contacts_ = std::move(loaded);
    phoneIndexStale_ = true;
}

void TAddressBook::RebuildPhoneIndex() const {
    phoneIndex_.clear();
    phoneIndex_.reserve(contacts_.size());
    for (std::size_t i = 0; i < contacts_.size(); ++i)
        phoneIndex_.emplace(PhoneKey(contacts_[i]), i);
    phoneIndexStale_ = false;
}

void TAddressBook::IndexAppended(std::size_t index) {
    if (!phoneIndexStale_)
        phoneIndex_.emplace(PhoneKey(contacts_[index]), index);
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

bool TAddressBook::RefuseToReplace(UnreadFile& file, const std::string& path) {
    if (!file.unread)
        return false;
    if (!file.reported)
        ProcessNotifier().ShowMessage(CannotWriteMessage(path));
    file.reported = true;
    return true;
}

void TAddressBook::RequestSave(const std::string& path) {
    // A contacts file that exists but could not be read is never replaced by what this run
    // holds: that would throw away every contact in it.
    if (path == ContactsFilePath() && RefuseToReplace(contactsFile_, path))
        return;
    saver_.Request(path);
}

void TAddressBook::WaitUntilSaved() {
    saver_.WaitUntilSaved();
}

std::size_t TAddressBook::AddContact(Contact contact) {
    auto lock = saver_.LockContacts();
    contacts_.push_back(Admitted(std::move(contact)));
    IndexAppended(contacts_.size() - 1);
    lock.unlock();
    Changed(BookChange::kContactsAppended);
    return contacts_.size() - 1;
}

void TAddressBook::ReplaceContact(std::size_t index, Contact contact) {
    if (index >= contacts_.size())
        return;
    if (PhoneKey(contact) != PhoneKey(contacts_[index]))
        phoneIndexStale_ = true;
    {
        auto lock = saver_.LockContacts();
        contacts_[index] = Admitted(std::move(contact));
    }
    Changed(BookChange::kContacts);
}

void TAddressBook::DeleteContacts(const std::vector<std::size_t>& indices) {
    std::vector<bool> doomed(contacts_.size(), false);
    for (const std::size_t index : indices) {
        if (index < doomed.size())
            doomed[index] = true;
    }
    auto lock = saver_.LockContacts();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < contacts_.size(); ++i) {
        if (!doomed[i])
            contacts_[kept++] = std::move(contacts_[i]);
    }
    contacts_.resize(kept);
    phoneIndexStale_ = true;
    lock.unlock();
    Changed(BookChange::kContacts);
}

void TAddressBook::SetContactChecked(std::size_t index, bool checked) {
    if (index >= contacts_.size())
        return;
    {
        auto lock = saver_.LockContacts();
        SetChecked(contacts_[index], checked);
    }
    Changed(BookChange::kContacts);
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
    auto lock = saver_.LockContacts();
    for (const auto& key : keys)
        sorted.push_back(std::move(contacts_[key.second]));
    contacts_ = std::move(sorted);
    phoneIndexStale_ = true;
    lock.unlock();
    Changed(BookChange::kContacts);
}

bool TAddressBook::WriteGroups() {
    // Like the contacts file: groups that could not be read are not replaced by this run's.
    const std::string path = GroupsFilePath();
    if (RefuseToReplace(groupsFile_, path))
        return false;
    if (WriteFileDurably(path, GroupsFileText(groups_)))
        return true;
    ProcessNotifier().ShowMessage(CannotWriteMessage(path));
    return false;
}

std::optional<std::size_t> TAddressBook::AddGroup(const std::string& name) {
    std::string text = CleanGroupName(name);
    if (text.empty())
        return std::nullopt;
    groups_.children.push_back({std::move(text), kUncheckedPicture, {}});
    Changed(BookChange::kGroups);
    return GroupCount(groups_) - 1;
}

void TAddressBook::ReplaceGroupCells(const std::string& from, const std::string& to) {
    auto lock = saver_.LockContacts();
    for (Contact& contact : contacts_) {
        if (contact[kGroupColumn] == from)
            contact[kGroupColumn] = to;
    }
}

bool TAddressBook::RenameGroup(std::size_t index, const std::string& newName) {
    GroupNode* node = index == 0 ? nullptr : GroupAt(groups_, index);
    std::string text = CleanGroupName(newName);
    if (!node || text.empty())
        return false;
    ReplaceGroupCells(node->text, text);
    node->text = std::move(text);
    Changed(BookChange::kGroups);
    return true;
}

bool TAddressBook::DeleteGroup(std::size_t index) {
    const GroupNode* node = index == 0 ? nullptr : GroupAt(groups_, index);
    if (!node)
        return false;
    ReplaceGroupCells(node->text, GroupName(groups_));
    const bool removed = RemoveGroupAt(groups_, index);
    Changed(BookChange::kGroups);
    return removed;
}

void TAddressBook::SetAllMarks(bool checked) {
    auto lock = saver_.LockContacts();
    for (Contact& contact : contacts_)
        SetChecked(contact, checked);
    SetPicturesBelow(groups_, checked ? kCheckedPicture : kUncheckedPicture);
    lock.unlock();
    Changed(BookChange::kGroups);
}

void TAddressBook::SetGroupMarks(std::size_t index, bool checked) {
    GroupNode* node = GroupAt(groups_, index);
    if (!node)
        return;
    auto lock = saver_.LockContacts();
    for (Contact& contact : contacts_) {
        if (contact[kGroupColumn] == node->text)
            SetChecked(contact, checked);
    }
    if (index != 0)
        node->picture = checked ? kCheckedPicture : kUncheckedPicture;
    lock.unlock();
    Changed(BookChange::kGroups);
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
    auto lock = saver_.LockContacts();
    for (Contact& contact : contacts_) {
        const std::string& phone = contact[kPhoneColumn];
        SetChecked(contact, !phone.empty() && text.find(phone) != std::string::npos);
    }
    lock.unlock();
    Changed(BookChange::kContacts);
}

bool TAddressBook::ImportContacts(const std::string& path) {
    std::vector<Contact> read;
    if (!ReadContactsFile(path, read)) {
        ProcessNotifier().ShowMessage(CannotReadMessage(path));
        return false;
    }
    for (Contact& contact : read)
        contact = Admitted(std::move(contact));
    const std::size_t before = contacts_.size();
    {
        auto lock = saver_.LockContacts();
        contacts_.insert(contacts_.end(), std::make_move_iterator(read.begin()),
                         std::make_move_iterator(read.end()));
    }
    for (std::size_t i = before; i < contacts_.size(); ++i)
        IndexAppended(i);
    Changed(BookChange::kContactsAppended);
    return true;
}

bool TAddressBook::ExportContacts(const std::string& path) const {
    if (WriteContactsFile(path, contacts_))
        return true;
    ProcessNotifier().ShowMessage(CannotWriteMessage(path));
    return false;
}

}  // namespace nimbra
