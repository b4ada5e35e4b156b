// The mapping between a contact's properties and the lines of its vCard.
#include "platform/outlook/ContactCard.h"

#include "platform/outlook/StoreTime.h"
#include "platform/text/NoCase.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace twinleaf::outlook {
namespace {

constexpr std::string_view kFieldParam = "X-OUTLOOK-FIELD";
constexpr std::string_view kLineBreakParam = "X-OUTLOOK-EOL";
constexpr std::string_view kExtensionPrefix = "X-OUTLOOK-";
constexpr const char* kVersion4 = "4.0";

// A value that several lines of one name can fill: a telephone number, an e-mail address, an
// address (six properties under one prefix) or a home page.
struct Slot {
    const char* name;
    std::vector<std::string> types; // the TYPE values we write
    int fallback = -1;              // the slot tried next when this one is filled
};

enum class FamilyId { Tel, Email, Adr, Url };

struct Family {
    FamilyId id;
    const char* lineName;
    std::vector<Slot> slots;
    int last; // slot every value may still go to when its own ones are filled; -1 for none
};

constexpr const char* kAddressParts[] = {"PostOfficeBox", "Street",     "City",
                                         "State",         "PostalCode", "Country"};

const Family kPhones = {FamilyId::Tel,
                        "TEL",
                        {
                            {"HomeTelephoneNumber", {"HOME", "VOICE"}, 1},
                            {"Home2TelephoneNumber", {"HOME", "VOICE"}},
                            {"BusinessTelephoneNumber", {"WORK", "VOICE"}, 3},
                            {"Business2TelephoneNumber", {"WORK", "VOICE"}},
                            {"MobileTelephoneNumber", {"CELL", "VOICE"}},
                            {"HomeFaxNumber", {"HOME", "FAX"}},
                            {"BusinessAddressFaxNumber", {"WORK", "FAX"}},
                            {"PagerNumber", {"PAGER"}},
                            {"CarTelephoneNumber", {"CAR", "VOICE"}},
                            {"ISDNNumber", {"ISDN"}},
                            {"PrimaryTelephoneNumber", {"PREF", "VOICE"}},
                            {"AssistTelephoneNumber", {"VOICE", "X-ASSISTANT"}},
                            {"CallbackTelephoneNumber", {"VOICE", "X-CALLBACK"}},
                            {"CompanyMainTelephoneNumber", {"WORK", "VOICE", "X-COMPANY"}},
                            {"RadioTelephoneNumber", {"VOICE", "X-RADIO"}},
                            {"OtherTelephoneNumber", {"VOICE"}},
                        },
                        15};

const Family kEmails = {FamilyId::Email,
                        "EMAIL",
                        {
                            {"Email1Address", {"INTERNET"}, 1},
                            {"Email2Address", {"INTERNET"}, 2},
                            {"Email3Address", {"INTERNET"}},
                        },
                        -1};

const Family kAddresses = {FamilyId::Adr,
                           "ADR",
                           {
                               {"BusinessAddress", {"WORK"}},
                               {"HomeAddress", {"HOME"}},
                               {"OtherAddress", {}},
                           },
                           2};

const Family kHomePages = {FamilyId::Url,
                           "URL",
                           {
                               {"BusinessHomePage", {"WORK"}},
                               {"PersonalHomePage", {"HOME"}},
                               {"WebPage", {}},
                           },
                           2};

const Family* const kFamilies[] = {&kPhones, &kEmails, &kAddresses, &kHomePages};

bool hasAnyType(const ContentLine& line, std::initializer_list<std::string_view> types) {
    return std::any_of(types.begin(), types.end(),
                       [&](std::string_view type) { return line.hasType(type); });
}

// The slot a line's types point to, before looking at what is filled already. Evolution's
// X-EVOLUTION-* types are read as well, so its assistant, callback, company and radio numbers
// arrive where they belong.
int preferredSlot(const Family& family, const ContentLine& line) {
    switch (family.id) {
    case FamilyId::Tel:
        if (hasAnyType(line, {"X-ASSISTANT", "X-EVOLUTION-ASSISTANT"})) {
            return 11;
        }
        if (hasAnyType(line, {"X-CALLBACK", "X-EVOLUTION-CALLBACK"})) {
            return 12;
        }
        if (hasAnyType(line, {"X-COMPANY", "X-EVOLUTION-COMPANY"})) {
            return 13;
        }
        if (hasAnyType(line, {"X-RADIO", "X-EVOLUTION-RADIO"})) {
            return 14;
        }
        if (line.hasType("FAX")) {
            return line.hasType("HOME") ? 5 : 6;
        }
        if (line.hasType("PAGER")) {
            return 7;
        }
        if (line.hasType("CELL")) {
            return 4;
        }
        if (line.hasType("CAR")) {
            return 8;
        }
        if (line.hasType("ISDN")) {
            return 9;
        }
        if (line.hasType("HOME")) {
            return 0;
        }
        if (line.hasType("WORK")) {
            return 2;
        }
        return line.hasType("PREF") ? 10 : 15;
    case FamilyId::Email:
        return 0;
    case FamilyId::Adr:
    case FamilyId::Url:
        if (line.hasType("HOME")) {
            return 1;
        }
        return line.hasType("WORK") ? 0 : 2;
    }
    return -1;
}

int slotNamed(const Family& family, std::string_view name) {
    for (std::size_t i = 0; i < family.slots.size(); ++i) {
        if (equalsAsciiNoCase(family.slots[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Where the reader puts a line, given the slots filled by the lines before it; -1 for none.
int assignSlot(const Family& family, const ContentLine& line, const std::vector<bool>& filled) {
    if (const ContentParam* field = line.param(kFieldParam);
        field != nullptr && !field->values.empty()) {
        const int named = slotNamed(family, field->values.front());
        if (named >= 0) {
            return filled[static_cast<std::size_t>(named)] ? -1 : named;
        }
    }
    for (int slot = preferredSlot(family, line); slot >= 0;
         slot = family.slots[static_cast<std::size_t>(slot)].fallback) {
        if (!filled[static_cast<std::size_t>(slot)]) {
            return slot;
        }
    }
    if (family.last >= 0 && !filled[static_cast<std::size_t>(family.last)]) {
        return family.last;
    }
    return -1;
}

// Parameters we set ourselves on every write and so never carry over from a read.
bool isRegeneratedParam(const ContentParam& param) {
    return param.name == kFieldParam || param.name == kLineBreakParam || param.name == "VALUE" ||
           param.name == "ENCODING" || param.name == "CHARSET";
}

std::vector<ContentParam> keptParams(const ContentLine& line) {
    std::vector<ContentParam> params;
    for (const ContentParam& param : line.params) {
        if (!isRegeneratedParam(param)) {
            params.push_back(param);
        }
    }
    return params;
}

bool sameTypes(const std::vector<ContentParam>& params, const std::vector<std::string>& types) {
    if (params.empty()) {
        return types.empty();
    }
    if (params.size() != 1 || params[0].name != "TYPE" || params[0].values.size() != types.size()) {
        return false;
    }
    return std::all_of(params[0].values.begin(), params[0].values.end(), [&](const std::string& v) {
        return std::any_of(types.begin(), types.end(),
                           [&](const std::string& t) { return equalsAsciiNoCase(v, t); });
    });
}

std::string slotKey(const Family& family, int slot) {
    return std::string(family.lineName) + " " + family.slots[static_cast<std::size_t>(slot)].name;
}

// Property indices of a contact, looked up once.
struct ContactMap {
    int fullName, jobTitle, profession, nickName, body, birthday, anniversary;
    int lastName, firstName, middleName, title, suffix, company, department;
    int entryId, lastModified;
    std::vector<std::vector<int>> slotProperties[4]; // per family, per slot: its properties
    std::vector<int> extensions;                     // properties written as X-OUTLOOK-<NAME>
    std::vector<std::string> extensionNames;

    ContactMap() {
        const ItemKind& kind = contactKind();
        std::vector<bool> mapped(kind.properties.size(), false);
        auto take = [&](std::string_view name) {
            const int index = kind.require(name);
            mapped[static_cast<std::size_t>(index)] = true;
            return index;
        };
        fullName = take("FullName");
        jobTitle = take("JobTitle");
        profession = take("Profession");
        nickName = take("NickName");
        body = take("Body");
        birthday = take("Birthday");
        anniversary = take("Anniversary");
        lastName = take("LastName");
        firstName = take("FirstName");
        middleName = take("MiddleName");
        title = take("Title");
        suffix = take("Suffix");
        company = take("CompanyName");
        department = take("Department");
        entryId = take("EntryID");
        lastModified = take("LastModificationTime");
        for (int f = 0; f < 4; ++f) {
            for (const Slot& slot : kFamilies[f]->slots) {
                std::vector<int> properties;
                if (kFamilies[f]->id == FamilyId::Adr) {
                    for (const char* part : kAddressParts) {
                        properties.push_back(take(std::string(slot.name) + part));
                    }
                } else {
                    properties.push_back(take(slot.name));
                }
                slotProperties[f].push_back(std::move(properties));
            }
        }
        for (std::size_t i = 0; i < kind.properties.size(); ++i) {
            if (!mapped[i]) {
                extensions.push_back(static_cast<int>(i));
                extensionNames.push_back(std::string(kExtensionPrefix) +
                                         upperAscii(kind.properties[i].name));
            }
        }
    }
};

const ContactMap& contactMap() {
    static const ContactMap map;
    return map;
}

std::string lineBreakOf(const ContentLine& line) {
    const ContentParam* param = line.param(kLineBreakParam);
    return param != nullptr && !param->values.empty() && equalsAsciiNoCase(param->values[0], "CRLF")
               ? "\r\n"
               : "\n";
}

// Builds one output line; texts passed through `text` note whether they held CR LF pairs.
class LineWriter {
public:
    std::string text(std::string_view value) {
        bool crlf = false;
        std::string escaped = escapeText(value, &crlf);
        m_crlf = m_crlf || crlf;
        return escaped;
    }
    // Appends one component of a structured value. Appending in place rather than joining
    // temporaries ("';' + text") also keeps GCC 12's -Wrestrict false positive at -O3 away.
    void component(std::string& value, std::string_view part, bool separated) {
        if (separated) {
            value += ';';
        }
        value += text(part);
    }
    std::string line(const std::string& group, std::string_view name,
                     std::vector<ContentParam> params, std::string_view value) {
        if (m_crlf) {
            params.push_back({std::string(kLineBreakParam), {"CRLF"}});
        }
        m_crlf = false;
        std::string out = group.empty() ? std::string(name) : group + "." + std::string(name);
        out += formatParams(params);
        out += ':';
        out += value;
        return foldLine(out);
    }

private:
    bool m_crlf = false;
};

// vCard 4.0 dates and times are written in the basic form only (19800517, 19800517T083000).
std::string formatCardDate(double date, bool version4) {
    CivilTime time;
    if (!oleDateToCivil(date, time)) {
        return {};
    }
    std::string text = time.hour == 0 && time.minute == 0 && time.second == 0
                           ? formatDate(time)
                           : formatDateTime(time);
    if (version4) {
        std::erase_if(text, [](char c) { return c == '-' || c == ':'; });
    }
    return text;
}

// Our own types of a line in a vCard 4.0: preference is a parameter of its own there, and the
// address type INTERNET, which 4.0 dropped, is left out.
std::vector<ContentParam> version4Params(std::vector<ContentParam> params) {
    bool preferred = false;
    for (ContentParam& param : params) {
        if (param.name == "TYPE") {
            std::erase_if(param.values, [&](const std::string& type) {
                const bool pref = equalsAsciiNoCase(type, "PREF");
                preferred = preferred || pref;
                return pref || equalsAsciiNoCase(type, "INTERNET");
            });
        }
    }
    std::erase_if(params, [](const ContentParam& param) {
        return param.name == "TYPE" && param.values.empty();
    });
    if (preferred) {
        params.push_back({"PREF", {"1"}});
    }
    return params;
}

bool isDateSet(double date) {
    return date > 0.00001 || date < -0.00001;
}

// A URL is written as it stands unless it holds something a URI cannot, which is escaped.
bool needsEscapingAsUrl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == '\\' || static_cast<unsigned char>(c) < 0x20; });
}

class CardReader {
public:
    explicit CardReader(StoredItem& item) : m_item(item), m_map(contactMap()) {
        for (int f = 0; f < 4; ++f) {
            m_filled[f].assign(kFamilies[f]->slots.size(), false);
        }
    }

    void read(const ContentLine& line) {
        // A line is mapped only when the parameters it keeps can be written back as they are.
        if (!paramsReadBack(line.params) || !consume(line)) {
            m_item.keptLines.push_back(line.raw);
        }
    }

private:
    PropertyValue& at(int index) { return m_item.values[static_cast<std::size_t>(index)]; }

    // Whether this is the first line of that name; later ones are kept as they were.
    bool once(std::string_view name) {
        if (std::find(m_seen.begin(), m_seen.end(), name) != m_seen.end()) {
            return false;
        }
        m_seen.push_back(name);
        return true;
    }

    void noteOrigin(const std::string& key, const ContentLine& line, std::vector<std::string> extra,
                    const std::vector<std::string>& types) {
        std::vector<ContentParam> params = keptParams(line);
        if (line.group.empty() && extra.empty() && sameTypes(params, types)) {
            return;
        }
        m_item.origins[key] = {line.group, formatParams(params), std::move(extra)};
    }

    bool consume(const ContentLine& line) {
        const std::string& name = line.name;
        if (name == "VERSION") {
            // A vCard 4.0 is written back as one: what is kept of it is 4.0 syntax (data: URIs,
            // PREF= parameters) that a 3.0 card may not carry.
            if (line.value == kVersion4) {
                m_item.version = kVersion4;
            }
            return true;
        }
        if (name == "PRODID") {
            return true;
        }
        const std::string lineBreak = lineBreakOf(line);
        if (name == "UID") {
            if (!once(name)) {
                return false;
            }
            m_item.id = unescapeText(line.value);
            return true;
        }
        if (name == "N" || name == "ORG") {
            if (!once(name)) {
                return false;
            }
            std::vector<std::string> parts = splitComponents(line.value, lineBreak);
            const std::vector<int> targets =
                name == "N" ? std::vector<int>{m_map.lastName, m_map.firstName, m_map.middleName,
                                               m_map.title, m_map.suffix}
                            : std::vector<int>{m_map.company, m_map.department};
            std::vector<std::string> extra;
            for (std::size_t i = 0; i < parts.size(); ++i) {
                if (i < targets.size()) {
                    at(targets[i]).text = std::move(parts[i]);
                } else {
                    extra.push_back(std::move(parts[i]));
                }
            }
            noteOrigin(name, line, std::move(extra), {});
            return true;
        }
        struct Simple {
            const char* name;
            int property;
        };
        const Simple texts[] = {{"FN", m_map.fullName},
                                {"TITLE", m_map.jobTitle},
                                {"ROLE", m_map.profession},
                                {"NICKNAME", m_map.nickName},
                                {"NOTE", m_map.body}};
        for (const Simple& simple : texts) {
            if (name == simple.name) {
                // An empty text is written as no line at all (FN excepted, which is always
                // written): were it to take the property, a later line of the name, kept as read,
                // would take it when the card is read again.
                std::string text = unescapeText(line.value, lineBreak);
                if ((text.empty() && name != "FN") || !once(name)) {
                    return false;
                }
                at(simple.property).text = std::move(text);
                noteOrigin(name, line, {}, {});
                return true;
            }
        }
        const Simple dates[] = {{"BDAY", m_map.birthday}, {"ANNIVERSARY", m_map.anniversary}};
        for (const Simple& simple : dates) {
            double date = 0;
            if (name == simple.name && isoToOleDate(line.value, date) && once(name)) {
                at(simple.property).number = date;
                noteOrigin(name, line, {}, {});
                return true;
            }
        }
        if (name == "REV") {
            double date = 0;
            if (!isoToOleDate(line.value, date) || !once(name)) {
                return false;
            }
            at(m_map.lastModified).number = date;
            return true;
        }
        for (int f = 0; f < 4; ++f) {
            if (name == kFamilies[f]->lineName) {
                return consumeSlot(f, line, lineBreak);
            }
        }
        if (name.starts_with(kExtensionPrefix)) {
            return consumeExtension(line, lineBreak);
        }
        return false;
    }

    bool consumeSlot(int f, const ContentLine& line, const std::string& lineBreak) {
        const Family& family = *kFamilies[f];
        std::vector<std::string> values;
        if (family.id == FamilyId::Adr) {
            std::vector<std::string> parts = splitComponents(line.value, lineBreak);
            parts.resize(std::max<std::size_t>(parts.size(), 7));
            // The extended address (a flat or suite) has no property of its own; it joins the
            // street on a line of its own so that nothing of it is lost.
            std::string street = parts[2];
            if (!parts[1].empty()) {
                street += (street.empty() ? "" : lineBreak) + parts[1];
            }
            values = {parts[0], street, parts[3], parts[4], parts[5], parts[6]};
        } else if (family.id == FamilyId::Url) {
            values = {line.value.find('\\') != std::string::npos ? unescapeText(line.value)
                                                                 : line.value};
        } else {
            std::string value = unescapeText(line.value, lineBreak);
            // vCard 4.0 writes numbers as tel: URIs.
            if (family.id == FamilyId::Tel && value.size() > 4 &&
                equalsAsciiNoCase(std::string_view(value).substr(0, 4), "tel:")) {
                value.erase(0, 4);
            }
            values = {std::move(value)};
        }
        if (std::all_of(values.begin(), values.end(),
                        [](const std::string& v) { return v.empty(); })) {
            return true; // a line without a value carries nothing to keep
        }
        const int slot = assignSlot(family, line, m_filled[f]);
        if (slot < 0) {
            return false;
        }
        m_filled[f][static_cast<std::size_t>(slot)] = true;
        const std::vector<int>& properties =
            m_map.slotProperties[f][static_cast<std::size_t>(slot)];
        for (std::size_t i = 0; i < properties.size(); ++i) {
            at(properties[i]).text = std::move(values[i]);
        }
        noteOrigin(slotKey(family, slot), line, {},
                   family.slots[static_cast<std::size_t>(slot)].types);
        return true;
    }

    bool consumeExtension(const ContentLine& line, const std::string& lineBreak) {
        const auto& names = m_map.extensionNames;
        const auto found = std::find(names.begin(), names.end(), line.name);
        if (found == names.end() || !once(line.name)) {
            return false;
        }
        const int index = m_map.extensions[static_cast<std::size_t>(found - names.begin())];
        PropertyValue& value = at(index);
        switch (contactKind().properties[static_cast<std::size_t>(index)].type) {
        case PropertyType::Text:
            value.text = unescapeText(line.value, lineBreak);
            return true;
        case PropertyType::Long:
        case PropertyType::Bool: {
            char* end = nullptr;
            const long number = std::strtol(line.value.c_str(), &end, 10);
            if (end == line.value.c_str() || *end != '\0') {
                return false;
            }
            value.number = static_cast<double>(static_cast<std::int32_t>(number));
            return true;
        }
        case PropertyType::Date:
            return isoToOleDate(line.value, value.number);
        }
        return false;
    }

    StoredItem& m_item;
    const ContactMap& m_map;
    std::vector<bool> m_filled[4];
    std::vector<std::string_view> m_seen; // names of the lines read, which outlive the reader
};

} // namespace

void readContactCard(const std::vector<ContentLine>& lines, StoredItem& item) {
    CardReader reader(item);
    for (const ContentLine& line : lines) {
        reader.read(line);
    }
    item.values[static_cast<std::size_t>(contactMap().entryId)].text = item.id;
}

std::string writeContactCard(const StoredItem& item) {
    const ContactMap& map = contactMap();
    auto text = [&](int index) -> std::string_view {
        return item.values[static_cast<std::size_t>(index)].text;
    };
    auto number = [&](int index) { return item.values[static_cast<std::size_t>(index)].number; };
    auto origin = [&](const std::string& key) -> const LineOrigin* {
        const auto found = item.origins.find(key);
        return found == item.origins.end() ? nullptr : &found->second;
    };
    const bool version4 = item.version == kVersion4;
    LineWriter writer;
    std::string out = std::string("BEGIN:VCARD\r\nVERSION:") + (version4 ? kVersion4 : "3.0") +
                      "\r\nPRODID:-//Twinleaf//Outlook store//EN\r\n";
    out += writer.line({}, "UID", {}, writer.text(item.id));

    auto structured = [&](const char* name, const std::vector<int>& parts) {
        const LineOrigin* from = origin(name);
        std::string value;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            writer.component(value, text(parts[i]), i > 0);
        }
        if (from != nullptr) {
            for (const std::string& extra : from->extraComponents) {
                writer.component(value, extra, true);
            }
        }
        return writer.line(from ? from->group : std::string(), name,
                           from ? parseParams(from->params) : std::vector<ContentParam>{}, value);
    };
    auto simple = [&](const char* name, const std::string& value) {
        const LineOrigin* from = origin(name);
        return writer.line(from ? from->group : std::string(), name,
                           from ? parseParams(from->params) : std::vector<ContentParam>{}, value);
    };

    out += structured("N", {map.lastName, map.firstName, map.middleName, map.title, map.suffix});
    out += simple("FN", writer.text(text(map.fullName)));
    if (!text(map.company).empty() || !text(map.department).empty() || origin("ORG")) {
        out += structured("ORG", {map.company, map.department});
    }
    const std::pair<const char*, int> texts[] = {
        {"TITLE", map.jobTitle}, {"ROLE", map.profession}, {"NICKNAME", map.nickName}};
    for (const auto& [name, index] : texts) {
        if (!text(index).empty()) {
            out += simple(name, writer.text(text(index)));
        }
    }
    const std::pair<const char*, int> dates[] = {{"BDAY", map.birthday},
                                                 {"ANNIVERSARY", map.anniversary}};
    for (const auto& [name, index] : dates) {
        if (isDateSet(number(index))) {
            const std::string date = formatCardDate(number(index), version4);
            if (!date.empty()) {
                out += simple(name, date);
            }
        }
    }

    for (int f = 0; f < 4; ++f) {
        const Family& family = *kFamilies[f];
        std::vector<bool> filled(family.slots.size(), false);
        for (std::size_t slot = 0; slot < family.slots.size(); ++slot) {
            const std::vector<int>& properties = map.slotProperties[f][slot];
            if (std::all_of(properties.begin(), properties.end(),
                            [&](int index) { return text(index).empty(); })) {
                continue;
            }
            const int slotIndex = static_cast<int>(slot);
            const LineOrigin* from = origin(slotKey(family, slotIndex));
            ContentLine probe;
            probe.params = from ? parseParams(from->params)
                                : std::vector<ContentParam>{{"TYPE", family.slots[slot].types}};
            if (probe.params.size() == 1 && probe.params[0].values.empty()) {
                probe.params.clear();
            }
            if (version4 && from == nullptr) {
                probe.params = version4Params(std::move(probe.params));
            }
            if (assignSlot(family, probe, filled) != slotIndex) {
                probe.params.push_back({std::string(kFieldParam), {family.slots[slot].name}});
            }
            filled[slot] = true;
            std::string value;
            if (family.id == FamilyId::Adr) {
                // post office box; extended address (kept empty: it joined the street); street;
                // city; state; postal code; country
                writer.component(value, text(properties[0]), false);
                value += ';';
                for (std::size_t part = 1; part < properties.size(); ++part) {
                    writer.component(value, text(properties[part]), true);
                }
            } else if (family.id == FamilyId::Url && !needsEscapingAsUrl(text(properties[0]))) {
                value = text(properties[0]);
            } else {
                value = writer.text(text(properties[0]));
            }
            out += writer.line(from ? from->group : std::string(), family.lineName,
                               std::move(probe.params), value);
        }
    }

    if (!text(map.body).empty()) {
        out += simple("NOTE", writer.text(text(map.body)));
    }
    const auto& properties = contactKind().properties;
    for (std::size_t i = 0; i < map.extensions.size(); ++i) {
        const int index = map.extensions[i];
        const std::string& name = map.extensionNames[i];
        switch (properties[static_cast<std::size_t>(index)].type) {
        case PropertyType::Text:
            if (!text(index).empty()) {
                out += writer.line({}, name, {}, writer.text(text(index)));
            }
            break;
        case PropertyType::Long:
        case PropertyType::Bool:
            if (number(index) != 0) {
                out += writer.line({}, name, {},
                                   std::to_string(static_cast<std::int32_t>(number(index))));
            }
            break;
        case PropertyType::Date: {
            CivilTime time;
            if (isDateSet(number(index)) && oleDateToCivil(number(index), time)) {
                out += writer.line({}, name, {}, formatLocalTimestamp(time));
            }
            break;
        }
        }
    }
    CivilTime modified;
    CivilTime utc;
    if (isDateSet(number(map.lastModified)) && oleDateToCivil(number(map.lastModified), modified) &&
        localToUtc(modified, utc)) {
        out += writer.line({}, "REV", {}, formatUtcTimestamp(utc));
    }
    for (const std::string& kept : item.keptLines) {
        out += kept;
        out += "\r\n";
    }
    out += "END:VCARD\r\n";
    return out;
}

void completeContactForSave(StoredItem& item) {
    const ContactMap& map = contactMap();
    PropertyText& held = item.values[static_cast<std::size_t>(map.fullName)].text;
    if (!held.empty()) {
        return;
    }
    std::string fullName;
    for (int index : {map.title, map.firstName, map.middleName, map.lastName, map.suffix}) {
        const std::string_view part = item.values[static_cast<std::size_t>(index)].text;
        if (!part.empty()) {
            fullName += (fullName.empty() ? "" : " ") + std::string(part);
        }
    }
    held = fullName;
}

} // namespace twinleaf::outlook
