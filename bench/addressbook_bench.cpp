// The address book window over a book of 10,000 contacts: reading "Addressbook.csv" at start,
// opening the window until its list is painted, sorting it by a column, and checking every
// contact with "Select all". Runs on the offscreen platform.
//
//   addressbook_bench [contact count]      (default 10000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QTableView>

#include "addressbookfiles.h"
#include "addressbookform.h"
#include "atomicfile.h"

namespace {

using namespace nimbra;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void WriteBook(const std::string& path, int count) {
    const char* groups[] = {"Friends", "Customers", "Distributors", "All contacts"};
    std::vector<Contact> contacts;
    contacts.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        contacts.push_back(MakeContact(
            "Contact " + std::to_string((i * 7919) % count), "+4930" + std::to_string(1000000 + i),
            "met at the fair; order " + std::to_string(i), groups[i % 4]));
    }
    WriteContactsFile(path, contacts);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path home = fs::temp_directory_path() / "nimbra-addressbook-bench";
    fs::remove_all(home);
    fs::create_directories(home);
    WriteBook((home / kContactsFileName).string(), count);

    auto start = Clock::now();
    TAddressBook book(home.string());
    book.LoadAddressBook();
    const double loaded = SecondsSince(start);

    start = Clock::now();
    ui::TfrmAddressbook window(book, {});
    window.ShowWindow();
    window.ContactList()->viewport()->repaint();
    QApplication::processEvents();
    const double shown = SecondsSince(start);
    std::printf(
        "%zu contacts: file read in %.3f s; window open and painted in %.3f s; "
        "together %.3f s\n",
        book.ContactCount(), loaded, shown, loaded + shown);

    start = Clock::now();
    window.SortByColumn(kNameColumn);
    window.ContactList()->viewport()->repaint();
    std::printf("sort by name: %.3f s\n", SecondsSince(start));

    start = Clock::now();
    window.SelectAll(true);
    window.ContactList()->viewport()->repaint();
    std::printf("select all: %.3f s\n", SecondsSince(start));

    start = Clock::now();
    book.AddUnknownContact("", "+4917099999", "Friends", "2004-03-17 12:00:00");
    window.ContactList()->viewport()->repaint();
    std::printf("a sender added while open: %.4f s\n", SecondsSince(start));
    book.WaitUntilSaved();
    fs::remove_all(home);
    return 0;
}
