#include "platform/outlook/ContactCard.h"

#include "platform/outlook/StoreTime.h"

#include <gtest/gtest.h>

namespace twinleaf::outlook {
namespace {

StoredItem newContact() {
    StoredItem item;
    item.kind = &contactKind();
    item.values = initialValues(contactKind());
    return item;
}

StoredItem readBack(const std::string& card) {
    std::vector<ContentLine> lines;
    std::string error;
    EXPECT_TRUE(parseSingleVCard(card, lines, error)) << error << "\n" << card;
    StoredItem item = newContact();
    readContactCard(lines, item);
    return item;
}

void expectSameValues(const StoredItem& expected, const StoredItem& actual) {
    const auto& properties = contactKind().properties;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        SCOPED_TRACE(properties[i].name);
        EXPECT_EQ(actual.values[i].text, expected.values[i].text);
        EXPECT_EQ(actual.values[i].number, expected.values[i].number);
    }
}

bool hasLine(const std::string& card, const std::string& line) {
    return card.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST(ContactCard, EveryPropertyRoundTripsWithItsType) {
    StoredItem item = newContact();
    item.id = "4f1c2d3e5a6b7c8d9e0f1a2b";
    const auto& properties = contactKind().properties;
    int n = 0;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        PropertyValue& value = item.values[i];
        ++n;
        switch (properties[i].type) {
        case PropertyType::Text:
            // Every text carries the characters vCard escapes, a line break and non-ASCII.
            value.text = std::string(properties[i].name) + " " + std::to_string(n) +
                         ", a; b\\c\nK\xC3\xB6ln \xE2\x82\xAC";
            break;
        case PropertyType::Long:
            value.number = 2; // olMale
            break;
        case PropertyType::Bool:
            value.number = 1;
            break;
        case PropertyType::Date:
            value.number = civilToOleDate(
                {1960 + n % 40, 1 + n % 12, 1 + n % 28, n % 2 ? 0 : 14, n % 60, n % 2 ? 0 : 9});
            break;
        }
    }
    item.value("EntryID").text = item.id;
    item.value("Birthday").number = -1.25; // 1899-12-29 06:00: a negative date with a time
    // Our own cards, and a card another program wrote as vCard 4.0, which stays one.
    for (const char* version : {"", "4.0"}) {
        SCOPED_TRACE(version);
        item.version = version;
        const std::string card = writeContactCard(item);
        expectSameValues(item, readBack(card));
        EXPECT_EQ(readBack(card).id, item.id);
        EXPECT_TRUE(readBack(card).keptLines.empty());
        EXPECT_EQ(readBack(card).version, item.version);
        EXPECT_TRUE(hasLine(card, item.version.empty() ? "VERSION:3.0" : "VERSION:4.0")) << card;
    }
}

TEST(ContactCard, UsesTheStandardHomesOtherProgramsRead) {
    StoredItem item = newContact();
    item.id = "a1";
    item.value("LastName").text = "M\xC3\xBCller";
    item.value("FirstName").text = "Anna";
    item.value("FullName").text = "Anna M\xC3\xBCller";
    item.value("CompanyName").text = "ACME, Inc.";
    item.value("Department").text = "Sales";
    item.value("JobTitle").text = "Buyer";
    item.value("HomeTelephoneNumber").text = "+49 30 1";
    item.value("BusinessTelephoneNumber").text = "+49 30 2";
    item.value("MobileTelephoneNumber").text = "+49 170 3";
    item.value("BusinessAddressFaxNumber").text = "+49 30 4";
    item.value("Email1Address").text = "anna@example.org";
    item.value("HomeAddressStreet").text = "Hauptstr. 1\nHinterhaus";
    item.value("HomeAddressCity").text = "Berlin";
    item.value("HomeAddressPostalCode").text = "10115";
    item.value("HomeAddressCountry").text = "Germany";
    item.value("Birthday").number = civilToOleDate({1970, 5, 17, 0, 0, 0});
    item.value("Body").text = "first line\nsecond; line";
    item.value("Spouse").text = "Ben";
    item.value("Gender").number = 1;
    const std::string card = writeContactCard(item);
    EXPECT_TRUE(card.starts_with("BEGIN:VCARD\r\nVERSION:3.0\r\n")) << card;
    EXPECT_TRUE(card.ends_with("\r\nEND:VCARD\r\n")) << card;
    for (const char* line :
         {"N:M\xC3\xBCller;Anna;;;", "FN:Anna M\xC3\xBCller", "ORG:ACME\\, Inc.;Sales",
          "TITLE:Buyer", "TEL;TYPE=HOME,VOICE:+49 30 1", "TEL;TYPE=WORK,VOICE:+49 30 2",
          "TEL;TYPE=CELL,VOICE:+49 170 3", "TEL;TYPE=WORK,FAX:+49 30 4",
          "EMAIL;TYPE=INTERNET:anna@example.org",
          "ADR;TYPE=HOME:;;Hauptstr. 1\\nHinterhaus;Berlin;;10115;Germany", "BDAY:1970-05-17",
          "NOTE:first line\\nsecond\\; line", "X-OUTLOOK-SPOUSE:Ben", "X-OUTLOOK-GENDER:1",
          "UID:a1"}) {
        EXPECT_TRUE(hasLine(card, line)) << line << "\n" << card;
    }
}

TEST(ContactCard, KeepsValuesInTheirOwnPropertiesWhenEarlierOnesAreEmpty) {
    StoredItem item = newContact();
    item.id = "sparse";
    item.value("EntryID").text = item.id;
    item.value("Email2Address").text = "second@example.org";
    item.value("Business2TelephoneNumber").text = "2222";
    item.value("Home2TelephoneNumber").text = "3333";
    item.value("OtherAddressCity").text = "Elsewhere";
    item.value("PersonalHomePage").text = "https://example.org/a;b,c";
    item.value("FullName").text = "Sparse";
    const std::string card = writeContactCard(item);
    EXPECT_TRUE(hasLine(card, "URL;TYPE=HOME:https://example.org/a;b,c")) << card;
    expectSameValues(item, readBack(card));
}

TEST(ContactCard, LineBreaksKeepTheirForm) {
    StoredItem item = newContact();
    item.id = "breaks";
    item.value("EntryID").text = item.id;
    item.value("Body").text = "Windows\r\nlines\r\n";
    item.value("HomeAddressStreet").text = "Unix\nlines";
    const std::string card = writeContactCard(item);
    EXPECT_TRUE(hasLine(card, "NOTE;X-OUTLOOK-EOL=CRLF:Windows\\nlines\\n")) << card;
    expectSameValues(item, readBack(card));
}

// A card as address books on phones and desktops write them: vCard 4.0 telephone URIs, Apple's
// grouped labels, a photo, categories, three home numbers, an extended address, three units of
// organisation and properties of their own.
const char* const kForeignCard =
    "BEGIN:VCARD\r\n"
    "VERSION:4.0\r\n"
    "PRODID:-//Other//Address Book//EN\r\n"
    "UID:urn:uuid:0c6b5a3e-1111-2222-3333-444455556666\r\n"
    "FN:Dr. Jane Q. Public\r\n"
    "N:Public;Jane;Quinlan;Dr.;III\r\n"
    "ORG:Example Corp;Research;Optics\r\n"
    "TEL;VALUE=uri;TYPE=\"home,voice\";PREF=1:tel:+1-555-0100\r\n"
    "TEL;TYPE=home:+1-555-0101\r\n"
    "TEL;TYPE=home:+1-555-0102\r\n"
    "item1.TEL:+1-555-0199\r\n"
    "item1.X-ABLabel:_$!<Assistant>!$_\r\n"
    "ADR;TYPE=work:;Suite 5;1 Main St;Springfield;IL;62701;USA\r\n"
    "CATEGORIES:friends,work\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAg\r\n"
    " ICAgMCAgIDAwMDBAYEBAQEBAgGBgUGCQgKCgkICQkKDA8MCgsOCwkJDRENDg8QEBEQ\r\n"
    "X-CUSTOM;X-PARAM=1:keep me\r\n"
    "BDAY:--0412\r\n"
    "END:VCARD\r\n";

TEST(ContactCard, MapsForeignCardsAndKeepsWhatItCannotMap) {
    const StoredItem item = readBack(kForeignCard);
    EXPECT_EQ(item.id, "urn:uuid:0c6b5a3e-1111-2222-3333-444455556666");
    EXPECT_EQ(item.value("FullName").text, "Dr. Jane Q. Public");
    EXPECT_EQ(item.value("LastName").text, "Public");
    EXPECT_EQ(item.value("MiddleName").text, "Quinlan");
    EXPECT_EQ(item.value("Title").text, "Dr.");
    EXPECT_EQ(item.value("Suffix").text, "III");
    EXPECT_EQ(item.value("CompanyName").text, "Example Corp");
    EXPECT_EQ(item.value("Department").text, "Research");
    EXPECT_EQ(item.value("HomeTelephoneNumber").text, "+1-555-0100");
    EXPECT_EQ(item.value("Home2TelephoneNumber").text, "+1-555-0101");
    EXPECT_EQ(item.value("OtherTelephoneNumber").text, "+1-555-0102");
    EXPECT_EQ(item.value("BusinessAddressStreet").text, "1 Main St\nSuite 5");
    EXPECT_EQ(item.value("BusinessAddressPostalCode").text, "62701");
    EXPECT_EQ(item.value("Birthday").number, 0); // a birthday without a year has no date
    // The grouped number has no slot left, so it stays with its label.
    const std::vector<std::string> kept = {
        "item1.TEL:+1-555-0199",
        "item1.X-ABLabel:_$!<Assistant>!$_",
        "CATEGORIES:friends,work",
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAg\r\n"
        " ICAgMCAgIDAwMDBAYEBAQEBAgGBgUGCQgKCgkICQkKDA8MCgsOCwkJDRENDg8QEBEQ",
        "X-CUSTOM;X-PARAM=1:keep me",
        "BDAY:--0412"};
    EXPECT_EQ(item.keptLines, kept);

    StoredItem changed = item;
    changed.value("HomeTelephoneNumber").text = "+1-555-0111";
    const std::string card = writeContactCard(changed);
    for (const std::string& line : kept) {
        EXPECT_NE(card.find("\r\n" + line + "\r\n"), std::string::npos) << line << "\n" << card;
    }
    EXPECT_TRUE(hasLine(card, "VERSION:4.0")) << card;
    EXPECT_TRUE(hasLine(card, "ORG:Example Corp;Research;Optics")) << card;
    EXPECT_TRUE(hasLine(card, "TEL;TYPE=home,voice;PREF=1:+1-555-0111")) << card;
    EXPECT_TRUE(hasLine(card, "TEL;TYPE=home:+1-555-0102")) << card; // third home number: Other
    EXPECT_EQ(card.find("Other//Address Book"), std::string::npos) << card;
    StoredItem again = readBack(card);
    again.id = changed.id;
    expectSameValues(changed, again);
    EXPECT_EQ(again.keptLines, kept);
}

TEST(ContactCard, SavingFillsAnEmptyFullNameFromTheNameParts) {
    StoredItem item = newContact();
    item.value("FirstName").text = "Anna";
    item.value("LastName").text = "Schmidt";
    completeContactForSave(item);
    EXPECT_EQ(item.value("FullName").text, "Anna Schmidt");
    item.value("FullName").text = "Dr. A. Schmidt";
    completeContactForSave(item);
    EXPECT_EQ(item.value("FullName").text, "Dr. A. Schmidt");
}

// Whatever card the reader takes, the writer writes so that it reads back to the same values,
// kept lines and line origins, and the second write gives the same bytes as the first.
struct CardCase {
    const char* name;
    const char* lines; // between VERSION and END
};

TEST(ContactCard, WhatIsReadIsWrittenSoThatItReadsBackTheSame) {
    const CardCase cases[] = {
        {"parameter values with quotes, commas, semicolons and colons",
         "TEL;TYPE=work;X-LABEL=\"a;b,c\";X-NOTE=\"x:y\":555\r\n"},
        {"a list of quoted values", "EMAIL;X-A=\"p,q\",r;TYPE=\"home,pref\":a@b.c\r\n"},
        {"empty structured values before set ones", "N:;;;Dr;\r\nORG:;Sales;East\r\n"},
        {"an empty address before a set part", "ADR;TYPE=home:;;;;;;Canada\r\n"},
        {"an address whose parts are all empty", "ADR;TYPE=work:;;;;;;\r\n"},
        {"an empty organisation", "ORG:\r\nTITLE:\r\n"},
        {"an organisation with units", "ORG:Acme;;Unit 2\r\n"},
        {"a name with one part", "N:Smith\r\n"},
        {"a value with a backslash at its end", "NOTE:a\\\r\n"},
        {"unknown escapes", "NOTE:a\\tb\\:c\r\nTITLE:x\\,y\\;z\r\n"},
        {"a group and a bare parameter", "item1.TEL;WORK;VOICE:555\r\nitem1.X-ABLABEL:Desk\r\n"},
        {"an empty parameter value", "TEL;X-A=;TYPE=cell:1\r\n"},
        {"bare values with a comma and a quoted semicolon",
         "TEL;WORK,VOICE;\"a;b\":555\r\nEMAIL;INTERNET;\"x,y\":a@b.c\r\n"},
        {"a parameter name with a quoted colon", "TEL;\"a:b\"=c;TYPE=home:1\r\n"},
        {"a second line for a filled property", "TITLE:a\r\nTITLE:b\r\nNOTE:n\r\nNOTE:m\r\n"},
        {"an empty line before a set one of the same name", "NOTE:\r\nNOTE:Met at the fair\r\n"},
    };
    for (const CardCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string card =
            std::string("BEGIN:VCARD\r\nVERSION:3.0\r\n") + c.lines + "END:VCARD\r\n";
        const StoredItem item = readBack(card);
        const std::string written = writeContactCard(item);
        const StoredItem again = readBack(written);
        expectSameValues(item, again);
        EXPECT_EQ(again.keptLines, item.keptLines) << written;
        EXPECT_EQ(again.origins.size(), item.origins.size()) << written;
        for (const auto& [key, origin] : item.origins) {
            SCOPED_TRACE(key);
            const auto found = again.origins.find(key);
            ASSERT_NE(found, again.origins.end()) << written;
            EXPECT_EQ(found->second.group, origin.group);
            EXPECT_EQ(found->second.extraComponents, origin.extraComponents) << written;
            EXPECT_EQ(found->second.params, origin.params) << written;
        }
        EXPECT_EQ(writeContactCard(again), written);
    }
}

} // namespace
} // namespace twinleaf::outlook
