// What the Outlook store writes must open in other programs: a contact saved by the store is
// read back with vobject, the vCard reader Debian packages for Python (python3-vobject).
#include "platform/outlook/OutlookStore.h"
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

// A Python with vobject, or "" when there is none.
std::string pythonWithVobject() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        const std::string probe = std::string(python) + " -c 'import vobject' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) {
            return python;
        }
    }
    return {};
}

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

TEST(VobjectInterop, ReadsNamesNumbersAddressesAndNoteAsSaved) {
    const std::string python = pythonWithVobject();
    if (python.empty()) {
        GTEST_SKIP() << "python3 with vobject is not installed (Debian package python3-vobject, "
                        "listed in scripts/install-deps.sh); the interoperability check is skipped";
    }
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

} // namespace
} // namespace twinleaf::outlook
