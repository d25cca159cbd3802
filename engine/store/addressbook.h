#pragma once

// The address book's data: the contacts in their shown order, the group tree, the files in
// the engine home, and the lookups the rest of the engine makes. Used on one thread (the
// window's); only the writing of the contacts file runs on the saver thread, which copies
// the contacts when a write starts. So every change of contacts_ holds the saver's lock.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "addressbooksaver.h"
#include "contact.h"
#include "grouptree.h"
#include "smsenvironment.h"

namespace nimbra {

// What changed in the book, for the windows that show it.
enum class BookChange {
    kContactsAppended,  // contacts were added at the end, nothing else changed
    kContacts,          // contacts changed, moved or went
    kGroups,            // the group tree changed (contacts may have too)
};

class TAddressBook final : public AddressLookup {
public:
    // homeFolder holds the contacts and groups files. The saver functions are for tests;
    // see TMyThread.
    explicit TAddressBook(std::string homeFolder, TMyThread::WriteFunction write = {},
                          TMyThread::ErrorFunction reportSaveError = {});

    // Reads the groups and contacts files; without a contacts file the book holds one sample
    // contact, without a groups file the groups of a fresh installation.
    void LoadAddressBook();
    std::string ContactsFilePath() const;
    std::string GroupsFilePath() const;

    const std::vector<Contact>& Contacts() const { return contacts_; }
    std::size_t ContactCount() const { return contacts_.size(); }
    const GroupNode& GroupTree() const { return groups_; }

    // Lookups by phone number: the first contact whose phone cell normalises to the same
    // number as the text, so that cells typed with blanks or dashes match too.
    std::optional<std::size_t> FindContact(const std::string& number) const;
    std::string DisplayName(const std::string& text) const override;
    // The contact's note or group without line breaks, trimmed; empty without a contact.
    std::string NoteOf(const std::string& number) const;
    std::string GroupOf(const std::string& number) const;

    // Adds a contact for a number no contact has yet, and saves the contacts file.
    void AddUnknownContact(const std::string& name, const std::string& number,
                           const std::string& group, const std::string& note);
    // The text outside parentheses of an address entry, trimmed; empty for text without "(".
    static std::string NameFromEntry(const std::string& text);
    // Completions of what is typed in an address field: the entry of every contact whose
    // name starts with prefix, then again if its number does (ignoring case).
    void CompleteEntries(const std::string& prefix, std::vector<std::string>& list) const;
    // Names of all groups in tree order, the root's first.
    std::vector<std::string> GroupNames() const;

    // Saving the contacts file happens on the saver thread; see TMyThread.
    void RequestSave(const std::string& path);
    void WaitUntilSaved();

    // Edits of the contacts. They do not save by themselves; indices out of range are ignored.
    // Names never keep parentheses, however a contact comes in (loaded, imported, added,
    // replaced): see NameWithoutParentheses.
    std::size_t AddContact(Contact contact);
    void ReplaceContact(std::size_t index, Contact contact);
    void DeleteContacts(const std::vector<std::size_t>& indices);
    void SetContactChecked(std::size_t index, bool checked);
    // Stable sort by one column, ignoring case.
    void SortContacts(ContactColumn column, bool ascending);

    // Groups, by their pre-order number in GroupTree() (the root is 0).
    // Writes the groups file now; false, with a message, when that fails or when the file
    // existed but could not be read at start (it is then never replaced; told once).
    bool WriteGroups();
    // Group names lose tabs and line breaks (each becomes a space) and are trimmed; a name
    // left blank is refused: AddGroup gives nullopt, RenameGroup false.
    std::optional<std::size_t> AddGroup(const std::string& name);
    // Renames the group and moves its contacts along; false for the root or a blank name.
    bool RenameGroup(std::size_t index, const std::string& newName);
    // Removes the group; its contacts go to the root's group. False for the root.
    bool DeleteGroup(std::size_t index);

    // Marks: every contact and group, or the contacts of one group (and its picture).
    void SetAllMarks(bool checked);
    void SetGroupMarks(std::size_t index, bool checked);
    std::size_t CheckedCount() const;
    // (To, CC) of a message to the checked contacts: the first one's entry, the others'
    // joined by ";".
    std::pair<std::string, std::string> ContinueEntries() const;
    // Checks exactly the contacts whose phone number occurs in text.
    void MarkContactsIn(const std::string& text);

    // Appends the contacts of a file (its first line is the title row); false, with a message,
    // when it cannot be read.
    bool ImportContacts(const std::string& path);
    // Writes all contacts now; false, with a message, when that fails.
    bool ExportContacts(const std::string& path) const;

    // Called after every change of the contacts or groups (on the book's thread), whoever
    // made it: the engine adding a sender, a window, an import.
    std::function<void(BookChange)> onChange;

private:
    void Changed(BookChange change) const;
    void LoadGroups();
    void LoadContacts();
    void IndexAppended(std::size_t index);
    void RebuildPhoneIndex() const;
    void ReplaceGroupCells(const std::string& from, const std::string& to);

    // A file that exists but could not be read at start: it is left alone, and the first
    // attempt to replace it is reported.
    struct UnreadFile {
        bool unread = false;
        bool reported = false;
    };
    static bool RefuseToReplace(UnreadFile& file, const std::string& path);

    std::string home_;
    std::vector<Contact> contacts_;
    GroupNode groups_;
    // Phone cell -> first contact with it; rebuilt on the next lookup after an edit that may
    // move or remove the first contact of a number.
    mutable std::unordered_map<std::string, std::size_t> phoneIndex_;
    mutable bool phoneIndexStale_ = true;
    UnreadFile contactsFile_;
    UnreadFile groupsFile_;
    // Last member: destroyed first, so that it writes what is pending before anything else goes.
    TMyThread saver_;
};

}  // namespace nimbra
