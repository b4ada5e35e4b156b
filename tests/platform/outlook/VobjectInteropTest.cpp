// What the Outlook store writes must open in other programs: a contact saved by the store is
// read back with vobject, the vCard reader Debian packages for Python (python3-vobject).
#include "platform/outlook/OutlookStore.h"
#include "platform/outlook/StoreTime.h"
#include "support/Python.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace twinleaf::outlook {
namespace {

using test::TempDir;

// Prints the fields of the one card in argv[1], a line each, values as JSON (ASCII only).
constexpr const char* kReader = R"(import sys, json, vobject
card = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
n = card.n.value
print("N", json.dumps([n.family, n.given, n.additional, n.prefix, n.suffix]))
print("FN", json.dumps(card.fn.value))
print("ORG", json.dumps(card.org.value))
for t in card.contents.get('tel', []):
    print("TEL", json.dumps([sorted(x.upper() for x in t.params.get('TYPE', [])), t.value]))
for e in card.contents.get('email', []):
    print("EMAIL", json.dumps(e.value))
for a in card.contents.get('adr', []):
    v = a.value
    print("ADR", json.dumps([sorted(x.upper() for x in a.params.get('TYPE', [])), v.box,
                             v.extended, v.street, v.city, v.region, v.code, v.country]))
print("NOTE", json.dumps(card.note.value))
)";

std::string runReader(const std::string& python, const std::filesystem::path& script,
                      const std::filesystem::path& card) {
    const std::string command = python + " '" + script.string() + "' '" + card.string() + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return output;
}

// Each test runs the reader with a Python that has vobject, and is skipped where there is none.
class VobjectInterop : public testing::Test {
protected:
    void SetUp() override {
        python = twinleaf::test::pythonWithModule("vobject");
        if (python.empty()) {
            GTEST_SKIP() << "python3 with vobject is not installed (Debian package "
                            "python3-vobject, listed in scripts/install-deps.sh); the "
                            "interoperability check is skipped";
        }
    }
    std::string python;
};

TEST_F(VobjectInterop, ReadsNamesNumbersAddressesAndNoteAsSaved) {
    TempDir dir;
    StoreFolder folder(contactKind(), dir.path() / "Contacts");
    std::string error;
    ASSERT_TRUE(folder.load(error)) << error;
    StoredItem item;
    item.kind = &contactKind();
    item.values = initialValues(contactKind());
    item.value("LastName").text = "M\xC3\xBCller-L\xC3\xBC"
                                  "denscheid";
    item.value("FirstName").text = "Anna";
    item.value("MiddleName").text = "Maria";
    item.value("Suffix").text = "Jr.";
    item.value("CompanyName").text = "Schmidt, Meyer & Partner; GmbH";
    item.value("Department").text = "Einkauf";
    item.value("BusinessTelephoneNumber").text = "+49 30 1234-0";
    item.value("HomeTelephoneNumber").text = "+49 30 98765";
    item.value("MobileTelephoneNumber").text = "+49 170 5550123";
    item.value("BusinessAddressFaxNumber").text = "+49 30 1234-99";
    item.value("Email1Address").text = "anna.mueller@example.org";
    item.value("Email2Address").text = "a.m@example.net";
    item.value("BusinessAddressStreet").text = "Friedrichstra\xC3\x9F"
                                               "e 1\nAufgang B";
    item.value("BusinessAddressCity").text = "Berlin";
    item.value("BusinessAddressPostalCode").text = "10117";
    item.value("BusinessAddressCountry").text = "Deutschland";
    item.value("HomeAddressPostOfficeBox").text = "PF 12";
    item.value("HomeAddressCity").text = "K\xC3\xB6ln";
    item.value("HomeAddressState").text = "NRW";
    // Long enough to be folded, with separators, a backslash and characters outside ASCII.
    item.value("Body").text =
        "Met at the fair, booth 4; likes green tea \xE2\x80\x93 not coffee.\n"
        "Path: C:\\Palm\\anna \xE2\x82\xAC 100, \xC3\xA4\xC3\xB6\xC3\xBC "
        "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86 and more text to pass 75 octets";
    const auto saved = folder.save(item, error);
    ASSERT_NE(saved, nullptr) << error;

    const auto script = dir.path() / "read.py";
    test::writeBytes(script, kReader);
    const std::string expected =
        "N [\"M\\u00fcller-L\\u00fcdenscheid\", \"Anna\", \"Maria\", \"\", \"Jr.\"]\n"
        "FN \"Anna Maria M\\u00fcller-L\\u00fcdenscheid Jr.\"\n"
        "ORG [\"Schmidt, Meyer & Partner; GmbH\", \"Einkauf\"]\n"
        "TEL [[\"HOME\", \"VOICE\"], \"+49 30 98765\"]\n"
        "TEL [[\"VOICE\", \"WORK\"], \"+49 30 1234-0\"]\n"
        "TEL [[\"CELL\", \"VOICE\"], \"+49 170 5550123\"]\n"
        "TEL [[\"FAX\", \"WORK\"], \"+49 30 1234-99\"]\n"
        "EMAIL \"anna.mueller@example.org\"\n"
        "EMAIL \"a.m@example.net\"\n"
        "ADR [[\"WORK\"], \"\", \"\", \"Friedrichstra\\u00dfe 1\\nAufgang B\", \"Berlin\", \"\", "
        "\"10117\", \"Deutschland\"]\n"
        "ADR [[\"HOME\"], \"PF 12\", \"\", \"\", \"K\\u00f6ln\", \"NRW\", \"\", \"\"]\n"
        "NOTE \"Met at the fair, booth 4; likes green tea \\u2013 not coffee.\\nPath: "
        "C:\\\\Palm\\\\anna \\u20ac 100, \\u00e4\\u00f6\\u00fc \\u3042\\u3044\\u3046 and more text "
        "to pass 75 octets\"\n";
    EXPECT_EQ(runReader(python, script, saved->file), expected);
}

// Prints the version and the lines of the card in argv[1] that 4.0 and 3.0 write differently.
constexpr const char* kSyntaxReader = R"(import sys, json, vobject
card = vobject.readOne(open(sys.argv[1], encoding='utf-8').read())
print("VERSION", card.version.value)
for line in card.lines():
    if line.name in ('TEL', 'EMAIL', 'BDAY'):
        params = sorted([k, sorted(v)] for k, v in line.params.items())
        print(line.name, json.dumps(params), json.dumps(line.value))
)";

// A card another program wrote as vCard 4.0, changed and saved, is still a 4.0 card: its data:
// URI and PREF= parameter are 4.0 syntax that a 3.0 card may not carry, and the lines we write
// into it use 4.0's syntax too.
TEST_F(VobjectInterop, AVersion4CardIsWrittenBackAsVersion4) {
    TempDir dir;
    test::writeBytes(dir.path() / "Contacts" / "ann.vcf",
                     "BEGIN:VCARD\r\n"
                     "VERSION:4.0\r\n"
                     "UID:urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1\r\n"
                     "FN:Ann Smith\r\n"
                     "N:Smith;Ann;;;\r\n"
                     "TEL;VALUE=uri;TYPE=cell;PREF=1:tel:+1-555-0102\r\n"
                     "PHOTO:data:image/png;base64,iVBORw0KGgo=\r\n"
                     "END:VCARD\r\n");
    StoreFolder folder(contactKind(), dir.path() / "Contacts");
    std::string error;
    ASSERT_TRUE(folder.load(error)) << error;
    ASSERT_EQ(folder.size(), 1u);
    StoredItem item = *folder.at(0);
    item.value("PrimaryTelephoneNumber").text = "+1-555-0100";
    item.value("Email2Address").text = "ann@example.org";
    item.value("Birthday").number = civilToOleDate({1980, 5, 17, 0, 0, 0});
    const auto saved = folder.save(item, error);
    ASSERT_NE(saved, nullptr) << error;

    const auto script = dir.path() / "read.py";
    test::writeBytes(script, kSyntaxReader);
    EXPECT_EQ(runReader(python, script, saved->file),
              "VERSION 4.0\n"
              "BDAY [] \"19800517\"\n"
              "TEL [[\"PREF\", [\"1\"]], [\"TYPE\", [\"cell\"]]] \"+1-555-0102\"\n"
              "TEL [[\"PREF\", [\"1\"]], [\"TYPE\", [\"VOICE\"]], [\"X-OUTLOOK-FIELD\", "
              "[\"PrimaryTelephoneNumber\"]]] \"+1-555-0100\"\n"
              "EMAIL [[\"X-OUTLOOK-FIELD\", [\"Email2Address\"]]] \"ann@example.org\"\n");
    EXPECT_NE(test::readBytes(saved->file).find("\r\nPHOTO:data:image/png;base64,iVBORw0KGgo=\r\n"),
              std::string::npos);
}

} // namespace
} // namespace twinleaf::outlook
