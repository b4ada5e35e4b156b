// Item files as other programs write them, read and written back by the store's codecs: every
// file in tests/data/outlook/roundtrip/ is a case, with the file we must write beside it
// (name.vcf and name.expected.vcf). Also loads the real producers' calendars of the shared
// real-data folder in place.
#include "platform/outlook/OutlookStore.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace twinleaf::outlook {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The kind a file's folder would hold: its one component tells.
const ItemKind& kindOf(const fs::path& file, const std::string& bytes) {
    if (file.extension() == ".vcf") {
        return contactKind();
    }
    if (bytes.find("BEGIN:VTODO") != std::string::npos) {
        return taskKind();
    }
    if (bytes.find("BEGIN:VJOURNAL") != std::string::npos) {
        return noteKind();
    }
    return appointmentKind();
}

// Lines whose values are made at the time of writing, by name; the expected files hold
// "(masked)" there.
std::string masked(const std::string& file) {
    std::string out;
    std::istringstream lines(file);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("DTSTAMP:")) {
            line = "DTSTAMP:(masked)\r";
        }
        out += line + "\n";
    }
    return out;
}

// As the store reads a file: an item without an id of its own is named after its file.
bool readItem(const ItemKind& kind, const std::string& bytes, StoredItem& item, std::string& error,
              const std::string& fileStem = "from-file-name") {
    item = StoredItem{};
    item.kind = &kind;
    item.values = initialValues(kind);
    if (!codecFor(kind).read(bytes, item, error)) {
        return false;
    }
    if (item.id.empty()) {
        item.id = fileStem;
    }
    item.value("EntryID").text = item.id;
    return true;
}

void expectSameValues(const StoredItem& expected, const StoredItem& actual) {
    const auto& properties = expected.kind->properties;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        SCOPED_TRACE(properties[i].name);
        EXPECT_EQ(actual.values[i].text, expected.values[i].text);
        EXPECT_EQ(actual.values[i].number, expected.values[i].number);
    }
}

TEST(ItemFileRoundTrip, EachFileIsWrittenBackAsExpected) {
    const fs::path folder = fs::path(TWINLEAF_TEST_DATA) / "outlook" / "roundtrip";
    std::vector<fs::path> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".expected.") == std::string::npos &&
            (entry.path().extension() == ".vcf" || entry.path().extension() == ".ics")) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    ASSERT_FALSE(inputs.empty());
    test::TempDir scratch;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string bytes = readAll(input);
        const ItemKind& kind = kindOf(input, bytes);
        StoredItem item;
        std::string error;
        ASSERT_TRUE(readItem(kind, bytes, item, error, input.stem().string())) << error;
        const std::string written = codecFor(kind).write(item);
        fs::path expected = input;
        expected.replace_extension(".expected" + input.extension().string());
        // What we wrote is kept for a look when the case fails.
        std::ofstream(scratch.path() / expected.filename(), std::ios::binary) << written;
        EXPECT_EQ(masked(written), masked(readAll(expected)))
            << "written: " << (scratch.path() / expected.filename()).string();
        // Our own file reads back to the same values and is written again unchanged.
        StoredItem again;
        ASSERT_TRUE(readItem(kind, written, again, error)) << error;
        expectSameValues(item, again);
        EXPECT_EQ(masked(codecFor(kind).write(again)), masked(written));
    }
}

TEST(ItemFileRoundTrip, RealProducersCalendarsLoadAndComeBack) {
    const fs::path folder = fs::path(TWINLEAF_REALDATA) / "icalendar";
    if (!fs::is_directory(folder)) {
        GTEST_SKIP() << folder.string() << " is absent: no real producers' calendars to load";
    }
    int read = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".ics") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        const std::string bytes = readAll(entry.path());
        for (const ItemKind* kind : {&appointmentKind(), &taskKind(), &noteKind()}) {
            StoredItem item;
            std::string error;
            if (!readItem(*kind, bytes, item, error)) {
                continue; // refused with a reason: the store skips such a file and says why
            }
            ++read;
            // What we write of it must read back to the same item.
            const std::string written = codecFor(*kind).write(item);
            StoredItem again;
            ASSERT_TRUE(readItem(*kind, written, again, error)) << error << "\n" << written;
            EXPECT_EQ(again.id, item.id);
            expectSameValues(item, again);
        }
    }
    EXPECT_GT(read, 0);
}

} // namespace
} // namespace twinleaf::outlook
