#include "qfilterlibrary.h"

#include <memory>
#include <string>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "file_text.h"
#include "temp_dir.h"
#include "unGSMSMS.h"

namespace nimbra {
namespace {

struct EntryCase {
    const char* path;
    bool allFive;  // else filterMessage alone
};

TEST(QFilterLibraryTest, ResolvesTheEntriesALibraryExports) {
    const EntryCase cases[] = {
        {SIGNATURE_FILTER, true},
        {SENDER_FILTER, true},
        {PARTIAL_FILTER, false},
    };
    for (const EntryCase& c : cases) {
        SCOPED_TRACE(c.path);
        std::string error;
        const auto library = QFilterLibrary::Load(c.path, error);
        ASSERT_NE(library, nullptr) << error;
        const FilterEntries entries = library->Entries();
        EXPECT_NE(entries.filterMessage, nullptr);
        EXPECT_EQ(entries.filterInit != nullptr, c.allFive);
        EXPECT_EQ(entries.freeFilterMessage != nullptr, c.allFive);
        EXPECT_EQ(entries.ShowConfigForm != nullptr, c.allFive);
        EXPECT_EQ(entries.filterFree != nullptr, c.allFive);
    }
}

std::string RecordText(const std::string& sender, const std::string& text) {
    TGsmSms record(TDateTime{});
    record.sender = sender;
    record.receiver = "+4479001";
    record.text = text;
    record.messageId = "M17";
    return record.ToText();
}

struct FilterCase {
    const char* path;
    std::string input;
    std::string expected;
};

TEST(QFilterLibraryTest, FiltersChangeTheMessageText) {
    const FilterCase cases[] = {
        {SIGNATURE_FILTER, "Hello", "Hello -- sent by Nimbra"},
        {SIGNATURE_FILTER, RecordText("+4479002", "Hi {there}"),
         RecordText("+4479002", "Hi {there} -- sent by Nimbra")},
        {SENDER_FILTER, RecordText("+4479002", "Hi"), RecordText("+10000000000", "Hi")},
        {PARTIAL_FILTER, "unchanged", "unchanged"},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(std::string(c.path) + ": " + c.input);
        std::string error;
        const auto library = QFilterLibrary::Load(c.path, error);
        ASSERT_NE(library, nullptr) << error;
        const FilterEntries entries = library->Entries();
        if (entries.filterInit)
            entries.filterInit();
        const char* result = entries.filterMessage(c.input.c_str());
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(std::string(result), c.expected);
        if (entries.freeFilterMessage)
            entries.freeFilterMessage(result);
        if (entries.filterFree)
            entries.filterFree();
    }
}

TEST(QFilterLibraryTest, AFileThatIsNoLibraryGivesAnError) {
    testing_support::TempDir dir;
    testing_support::WriteFileText(dir / "x.so", "not a library\n");
    for (const auto& path : {dir / "x.so", dir / "missing.so"}) {
        SCOPED_TRACE(path.string());
        std::string error;
        EXPECT_EQ(QFilterLibrary::Load(path.string(), error), nullptr);
        EXPECT_NE(error.find(path.filename().string()), std::string::npos) << error;
    }
}

bool IsLoaded(const char* path) {
    void* handle = ::dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

TEST(QFilterLibraryTest, DestroyingTheObjectUnloadsTheLibrary) {
    std::string error;
    auto library = QFilterLibrary::Load(SIGNATURE_FILTER, error);
    ASSERT_NE(library, nullptr) << error;
    EXPECT_TRUE(IsLoaded(SIGNATURE_FILTER));
    library.reset();
    EXPECT_FALSE(IsLoaded(SIGNATURE_FILTER));
}

}  // namespace
}  // namespace nimbra
