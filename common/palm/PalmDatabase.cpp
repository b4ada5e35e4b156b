// Values, statement texts and their run on a Palm Desktop 6 database file.
#include "common/palm/PalmDatabase.h"

#include "platform/codepage/Codepage.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace twinleaf {
namespace {

std::string bracketed(const char* name) {
    return std::string("[") + name + "]";
}

std::string joinColumns(std::span<const char* const> columns) {
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += (i == 0 ? "" : ", ") + bracketed(columns[i]);
    }
    return text;
}

bool parseDecimal(std::string_view text, std::int32_t& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return false;
    }
    value = parsed;
    return true;
}

win::VARIANT bstrValue(std::u16string_view text) {
    win::VARIANT value;
    win::VariantInit(&value);
    value.vt = win::VT_BSTR;
    value.bstrVal = text.empty()
                        ? nullptr
                        : win::SysAllocStringLen(text.data(), static_cast<win::UINT>(text.size()));
    return value;
}

} // namespace

// ---- values ----

PmValues& PmValues::operator=(PmValues&& other) noexcept {
    if (this != &other) {
        Clear();
        m_values = std::move(other.m_values);
    }
    return *this;
}

void PmValues::Clear() {
    for (win::VARIANT& value : m_values) {
        win::VariantClear(&value);
    }
    m_values.clear();
}

win::VARIANT IntToValue(std::int32_t value) {
    win::VARIANT variant;
    win::VariantInit(&variant);
    variant.vt = win::VT_I4;
    variant.lVal = value;
    return variant;
}

win::VARIANT BoolToValue(std::uint8_t value) {
    win::VARIANT variant;
    win::VariantInit(&variant);
    variant.vt = win::VT_BOOL;
    variant.boolVal = value != 0 ? win::VARIANT_TRUE : win::VARIANT_FALSE;
    return variant;
}

win::VARIANT TextToValue(const char* text) {
    return bstrValue(text == nullptr ? std::u16string() : ansiToUtf16(text));
}

win::VARIANT NumberTextToValue(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return bstrValue(std::u16string(digits.begin(), digits.end()));
}

bool ValueToInt(const win::VARIANT& value, std::int32_t& target) {
    if (value.vt == win::VT_I4) {
        target = value.lVal;
        return true;
    }
    if (value.vt == win::VT_I2) {
        target = value.iVal;
        return true;
    }
    if (value.vt == win::VT_BSTR && value.bstrVal != nullptr) {
        return parseDecimal(utf16ToAnsi(win::bstrView(value.bstrVal)), target);
    }
    return false;
}

bool ValueToBool(const win::VARIANT& value, std::uint8_t& target) {
    switch (value.vt) {
    case win::VT_BOOL:
        target = value.boolVal != 0 ? 1 : 0;
        return true;
    case win::VT_I4:
        target = value.lVal != 0 ? 1 : 0;
        return true;
    case win::VT_I2:
        target = value.iVal != 0 ? 1 : 0;
        return true;
    default:
        return false;
    }
}

namespace {

// The text of a value in the ANSI code page, at most capacity - 1 bytes of it; false when the value
// is no text or nothing can be kept.
bool valueText(const win::VARIANT& value, std::size_t capacity, std::string& text) {
    if (value.vt != win::VT_BSTR || capacity == 0) {
        return false;
    }
    // Only as much is converted as can be kept: a huge memo is not copied whole to be cut.
    const std::u16string_view wide = win::bstrView(value.bstrVal).substr(0, capacity);
    // Plain ASCII, nearly every text a database holds, is narrowed as it is; anything else takes
    // the full conversion.
    if (std::all_of(wide.begin(), wide.end(), [](char16_t c) { return c < 0x80; })) {
        text.resize(std::min(wide.size(), capacity - 1));
        std::transform(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(text.size()),
                       text.begin(), [](char16_t c) { return static_cast<char>(c); });
    } else {
        text = utf16ToAnsi(wide);
        text.resize(std::min(text.size(), capacity - 1));
    }
    return true;
}

} // namespace

bool ValueToText(const win::VARIANT& value, char* buffer, std::size_t capacity) {
    std::string text;
    if (buffer == nullptr || !valueText(value, capacity, text)) {
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

bool ValueToText(const win::VARIANT& value, TextValue& target, std::size_t width) {
    std::string text;
    if (!valueText(value, width, text)) {
        return false;
    }
    target.assign(text, width);
    return true;
}

std::string FormatSqlValue(const win::VARIANT& value) {
    switch (value.vt) {
    case win::VT_I4:
        return std::to_string(value.lVal);
    case win::VT_BOOL:
        return value.boolVal != 0 ? "1" : "0";
    case win::VT_BSTR: {
        std::string text = "'";
        for (const char c : utf16ToAnsi(win::bstrView(value.bstrVal))) {
            text += c;
            if (c == '\'') {
                text += '\'';
            }
        }
        return text + "'";
    }
    default:
        return {};
    }
}

bool BuildWhere(std::span<const char* const> keys, std::span<const win::VARIANT> values,
                std::string& where, std::size_t capacity) {
    where.clear();
    if (keys.empty() || values.empty()) {
        return true;
    }
    std::string text = "WHERE ";
    const std::size_t count = std::min(keys.size(), values.size());
    for (std::size_t i = 0; i < count; ++i) {
        text += (i == 0 ? "" : " AND ") + bracketed(keys[i]) + " = " + FormatSqlValue(values[i]);
    }
    if (capacity == 0 || text.size() > capacity - 1) {
        return false;
    }
    where = std::move(text);
    return true;
}

// ---- accessor ----

std::string PmDataAccessor::BuildSql(const char* table, const std::string& where,
                                     SqlStatement statement, std::span<const char* const> columns,
                                     std::span<const win::VARIANT> values) {
    if (columns.empty()) {
        return {};
    }
    const std::string name(table);
    const auto valueList = [&values] {
        std::string text;
        for (std::size_t i = 0; i < values.size(); ++i) {
            text += (i == 0 ? "" : ", ") + FormatSqlValue(values[i]);
        }
        return text;
    };
    switch (statement) {
    case SqlStatement::Select:
        return "SELECT " + joinColumns(columns) + " FROM " + name + " " + where;
    case SqlStatement::Insert: {
        const bool media = columns.size() > 30;
        std::string text = "INSERT INTO " + name + " (" + joinColumns(columns);
        if (media) {
            text += ", [Photo], [VoiceTag], [Ringtone]";
        }
        text += ", [Blob]) VALUES (" + valueList();
        if (media) {
            text += ", 0x00000000, 0x00000000, 0x00000000";
        }
        return text + ", 0x00000000)";
    }
    case SqlStatement::Delete:
        return "DELETE FROM " + name + " " + where;
    case SqlStatement::Update: {
        std::string text = "UPDATE " + name + " SET ";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            text += (i == 0 ? "" : ", ") + bracketed(columns[i]) + "=" +
                    (i < values.size() ? FormatSqlValue(values[i]) : std::string());
        }
        return text + " " + where;
    }
    }
    return {};
}

std::string PmDataAccessor::BuildInformationSql(const std::string& where, SqlStatement statement,
                                                std::span<const char* const> columns,
                                                std::span<const win::VARIANT> values) const {
    return BuildSql("Information", where, statement, columns, values);
}

std::string PmDataAccessor::BuildCategorySql(const std::string& where, SqlStatement statement,
                                             std::span<const char* const> columns,
                                             std::span<const win::VARIANT> values) const {
    return BuildSql("Category", where, statement, columns, values);
}

std::string PmDataAccessor::BuildMainSql(const std::string& where, SqlStatement statement,
                                         std::span<const char* const> columns,
                                         std::span<const win::VARIANT> values) const {
    return BuildSql("Main", where, statement, columns, values);
}

bool PmDataAccessor::SelectFirst(const char*, std::span<const char* const>, PmValues&) {
    return false;
}
bool PmDataAccessor::SelectNext(const char*, std::span<const char* const>, PmValues&) {
    return false;
}
bool PmDataAccessor::RunSelect(const std::string&, PmValues&) {
    return false;
}
bool PmDataAccessor::FetchNext(const std::string&, PmValues&) {
    return false;
}
bool PmDataAccessor::Execute(const std::string&, bool) {
    return false;
}

PmMDBAccessor::PmMDBAccessor(PmDataKind kind, const std::string& path) : m_kind(kind) {
    Connect(kind, path);
}

PmMDBAccessor::~PmMDBAccessor() = default;

bool PmMDBAccessor::Connect(PmDataKind kind, const std::string& path) {
    m_kind = kind;
    m_path = path;
    m_lastError.clear();
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        m_lastError = path + ": no such file";
        return false;
    }
    jet::Connection* connection = GetConnection();
    if (connection == nullptr) {
        m_lastError = path + ": no connection for this kind of data";
        return false;
    }
    GetQuery()->Close();
    connection->Close();
    connection->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + path +
                                    "\"");
    if (!connection->Open()) {
        m_lastError = connection->LastError();
        return false;
    }
    return true;
}

jet::Query* PmMDBAccessor::GetQuery() {
    switch (m_kind) {
    case PmDataKind::Addr:
        return &m_dm.qryAddr;
    case PmDataKind::Date:
        return &m_dm.qryDate;
    case PmDataKind::Todo:
        return &m_dm.qryTodo;
    case PmDataKind::Memo:
        return &m_dm.qryMemo;
    }
    return nullptr;
}

jet::Connection* PmMDBAccessor::GetConnection() {
    switch (m_kind) {
    case PmDataKind::Addr:
        return &m_dm.connAddr;
    case PmDataKind::Date:
        return &m_dm.connDate;
    case PmDataKind::Todo:
        return &m_dm.connTodo;
    case PmDataKind::Memo:
        return &m_dm.connMemo;
    }
    return nullptr;
}

bool PmMDBAccessor::ReadOnly() {
    jet::Connection* connection = GetConnection();
    return connection != nullptr && connection->ReadOnly();
}

bool PmMDBAccessor::SelectFirst(const char* table, std::span<const char* const> columns,
                                PmValues& row) {
    m_lastError.clear();
    if (GetQuery() == nullptr) {
        return false;
    }
    m_lastSelect = BuildSql(table, {}, SqlStatement::Select, columns, {});
    return RunSelect(m_lastSelect, row);
}

bool PmMDBAccessor::SelectNext(const char*, std::span<const char* const>, PmValues& row) {
    return FetchNext(m_lastSelect, row);
}

bool PmMDBAccessor::RunSelect(const std::string& sql, PmValues& row) {
    row.Clear();
    jet::Query* query = GetQuery();
    if (sql.empty() || query == nullptr || !Execute(sql, true)) {
        return false;
    }
    const bool found = !query->Eof() && ReadRow(row);
    // Only the walk of a SelectFirst goes on; any other query is done with, so that it holds no
    // read lock on the file that would keep another connection's changes out.
    if (!found || sql != m_lastSelect) {
        query->Close();
    }
    return found;
}

bool PmMDBAccessor::FetchNext(const std::string& sql, PmValues& row) {
    row.Clear();
    m_lastError.clear();
    jet::Query* query = GetQuery();
    if (sql.empty() || query == nullptr || sql != m_lastSelect || query->Sql() != sql) {
        return false;
    }
    if (!query->Next()) {
        m_lastError = query->LastError();
        query->Close();
        return false;
    }
    return ReadRow(row);
}

bool PmMDBAccessor::ReadRow(PmValues& row) {
    jet::Query* query = GetQuery();
    const int count = query->FieldCount();
    for (int i = 0; i < count; ++i) {
        win::VARIANT value;
        query->FieldValue(i, &value);
        row.Add(value);
    }
    return true;
}

bool PmMDBAccessor::Execute(const std::string& sql, bool open) {
    m_lastError.clear();
    jet::Query* query = GetQuery();
    if (query == nullptr || sql.empty()) {
        m_lastError = m_path + ": no statement to run";
        return false;
    }
    query->Close();
    query->SetSql(sql);
    if (!(open ? query->Open() : query->ExecSql())) {
        m_lastError = query->LastError();
        return false;
    }
    return true;
}

// ---- categories and information ----

bool PmCategoryEx2Mgr::AddCopy(const PmCategoryEx2& category) {
    m_categories.push_back(category);
    return true;
}

const PmCategoryEx2* PmCategoryEx2Mgr::FindById(std::int32_t id) const {
    const auto it = std::find_if(m_categories.begin(), m_categories.end(),
                                 [id](const PmCategoryEx2& c) { return c.id == id; });
    return it == m_categories.end() ? nullptr : &*it;
}

const PmCategoryEx2* PmCategoryEx2Mgr::GetAt(std::uint32_t index) const {
    return index < m_categories.size() ? &m_categories[index] : nullptr;
}

const PmCategoryEx2* PmCategoryEx2Mgr::FindByName(const char* name) const {
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    const auto it =
        std::find_if(m_categories.begin(), m_categories.end(),
                     [name](const PmCategoryEx2& c) { return std::strcmp(c.name, name) == 0; });
    return it == m_categories.end() ? nullptr : &*it;
}

// ---- PmDBEx2Util ----

bool PmDBEx2Util::Fail(const std::string& reason) {
    m_lastError = reason;
    return false;
}

bool PmDBEx2Util::OpenDatabase(PmDataKind kind, const std::string& path) {
    m_lastError.clear();
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        return Fail(path + ": no such file");
    }
    const bool connected = m_pAccessor == nullptr
                               ? (m_pAccessor = std::make_unique<PmMDBAccessor>(kind, path),
                                  m_pAccessor->LastError().empty())
                               : m_pAccessor->Connect(kind, path);
    return connected || Fail(m_pAccessor->LastError());
}

bool PmDBEx2Util::LoadCategories() {
    if (m_pAccessor == nullptr) {
        return false;
    }
    static constexpr const char* kColumns[] = {"ID", "Name", "Status", "Color"};
    PmValues row;
    for (bool more = m_pAccessor->SelectFirst("Category", kColumns, row); more;
         more = m_pAccessor->SelectNext("Category", kColumns, row)) {
        PmCategoryEx2 category;
        if (row.size() == 4) {
            ValueToInt(row[0], category.id);
            ValueToText(row[1], category.name, sizeof category.name);
            ValueToInt(row[2], category.status);
            ValueToInt(row[3], category.color);
        }
        m_categories.AddCopy(category);
    }
    return true;
}

bool PmDBEx2Util::LoadInformation() {
    if (m_pAccessor == nullptr) {
        return false;
    }
    static constexpr const char* kColumns[] = {"Name", "Note"};
    struct Field {
        const char* name;
        std::int32_t PmInfoEx2::*member;
    };
    static constexpr Field kFields[] = {
        {"License", &PmInfoEx2::License},     {"Version", &PmInfoEx2::Version},
        {"Minor", &PmInfoEx2::Minor},         {"CodePage", &PmInfoEx2::CodePage},
        {"PreSahara", &PmInfoEx2::PreSahara}, {"FreeRecID", &PmInfoEx2::FreeRecID},
    };
    PmValues row;
    for (bool more = m_pAccessor->SelectFirst("Information", kColumns, row); more;
         more = m_pAccessor->SelectNext("Information", kColumns, row)) {
        char name[256];
        char note[sizeof m_information.TableString];
        if (row.size() != 2 || !ValueToText(row[0], name, sizeof name) ||
            !ValueToText(row[1], note, sizeof note)) {
            continue;
        }
        if (std::strcmp(name, "TableString") == 0) {
            std::memcpy(m_information.TableString, note, sizeof note);
            continue;
        }
        for (const Field& field : kFields) {
            if (std::strcmp(name, field.name) == 0) {
                ValueToInt(row[1], m_information.*field.member);
            }
        }
    }
    return true;
}

bool PmDBEx2Util::SelectMain(const std::string& where, std::span<const char* const> columns,
                             PmValues& row) {
    if (m_pAccessor == nullptr) {
        return false;
    }
    return m_pAccessor->RunSelect(
        m_pAccessor->BuildMainSql(where, SqlStatement::Select, columns, {}), row);
}

bool PmDBEx2Util::SelectMainById(std::int32_t id, std::span<const char* const> columns,
                                 PmValues& row) {
    static constexpr const char* kKey[] = {"Record ID"};
    PmValues value;
    value.Add(IntToValue(id));
    std::string where;
    return BuildWhere(kKey, value.view(), where, 1024) && SelectMain(where, columns, row);
}

bool PmDBEx2Util::IsReadOnly() {
    return m_pAccessor != nullptr && m_pAccessor->ReadOnly();
}

std::string PmDBEx2Util::GetPath() const {
    return m_pAccessor == nullptr ? std::string() : m_pAccessor->GetPath();
}

bool PmDBEx2Util::BeginChanges() {
    jet::Connection* connection = m_pAccessor ? m_pAccessor->GetConnection() : nullptr;
    if (connection == nullptr) {
        return Fail("no database is open");
    }
    return connection->BeginTrans() || Fail(connection->LastError());
}

bool PmDBEx2Util::CommitChanges() {
    jet::Connection* connection = m_pAccessor ? m_pAccessor->GetConnection() : nullptr;
    return connection == nullptr || connection->CommitTrans() || Fail(connection->LastError());
}

void PmDBEx2Util::RollbackChanges() {
    if (jet::Connection* connection = m_pAccessor ? m_pAccessor->GetConnection() : nullptr) {
        connection->RollbackTrans();
    }
}

bool PmDBEx2Util::NewRecordId(std::int32_t& id) {
    if (m_pAccessor == nullptr) {
        return Fail("no database is open");
    }
    PmValues row;
    std::int32_t highest = 0;
    if (!m_pAccessor->RunSelect("SELECT MAX([Record ID]) FROM Main", row) &&
        !m_pAccessor->LastError().empty()) {
        return Fail(m_pAccessor->LastError());
    }
    const bool anyRow = row.size() == 1 && ValueToInt(row[0], highest);
    if (anyRow && highest == INT32_MAX) {
        return Fail(GetPath() + ": no record id is left above the highest one in use");
    }
    m_information = PmInfoEx2{};
    LoadInformation();
    const std::int32_t next = anyRow ? highest + 1 : 1;
    id = m_information.FreeRecID > next ? m_information.FreeRecID : next;
    if (id <= 0) {
        id = 1;
    }
    // Advanced only where the database keeps one, so that it stays above every id in use.
    static constexpr const char* kKey[] = {"Name"};
    static constexpr const char* kNote[] = {"Note"};
    PmValues name;
    name.Add(TextToValue("FreeRecID"));
    PmValues note;
    note.Add(NumberTextToValue(id == INT32_MAX ? id : id + 1));
    std::string where;
    BuildWhere(kKey, name.view(), where, 1024);
    // A database without a "FreeRecID" row, or without "Information", still takes new rows: the
    // id is above every one in use either way.
    m_pAccessor->Execute(
        m_pAccessor->BuildInformationSql(where, SqlStatement::Update, kNote, note.view()), false);
    return true;
}

// ---- columns ----

void ReadColumns(std::span<const PmColumn> columns, const PmValues& row, void* record) {
    auto* bytes = static_cast<std::uint8_t*>(record);
    const std::size_t count = std::min(columns.size(), row.size());
    for (std::size_t i = 0; i < count; ++i) {
        const PmColumn& column = columns[i];
        std::uint8_t* field = bytes + column.offset;
        switch (column.value) {
        case ColumnValue::Int:
        case ColumnValue::NumberText: {
            std::int32_t value = 0;
            if (ValueToInt(row[i], value)) {
                std::memcpy(field, &value, sizeof value);
            }
            break;
        }
        case ColumnValue::Bool:
            ValueToBool(row[i], *field);
            break;
        case ColumnValue::Text:
            ValueToText(row[i], ColumnText(column, record), column.width);
            break;
        }
    }
}

PmValues ColumnValues(std::span<const PmColumn> columns, const void* record) {
    const auto* bytes = static_cast<const std::uint8_t*>(record);
    PmValues values;
    for (const PmColumn& column : columns) {
        const std::uint8_t* field = bytes + column.offset;
        std::int32_t number = 0;
        std::memcpy(&number, field, sizeof number);
        switch (column.value) {
        case ColumnValue::Int:
            values.Add(IntToValue(number));
            break;
        case ColumnValue::NumberText:
            values.Add(NumberTextToValue(number));
            break;
        case ColumnValue::Bool:
            values.Add(BoolToValue(*field));
            break;
        case ColumnValue::Text:
            values.Add(TextToValue(ColumnText(column, record).c_str()));
            break;
        }
    }
    return values;
}

bool CreateEx2Database(const std::string& path, std::span<const PmColumn> columns,
                       std::string& error) {
    std::string main = "CREATE TABLE Main (";
    for (const PmColumn& column : columns) {
        const char* type = column.value == ColumnValue::Bool   ? "YESNO"
                           : column.value == ColumnValue::Text ? "TEXT"
                                                               : "INTEGER";
        main += bracketed(column.name) + " " + type + ", ";
    }
    if (columns.size() > 30) {
        main += "[Photo] BLOB, [VoiceTag] BLOB, [Ringtone] BLOB, ";
    }
    main += "[Blob] BLOB)";
    return jet::CreateSqliteDatabase(
        path,
        {main,
         "CREATE TABLE Category ([ID] INTEGER, [Name] TEXT, [Status] INTEGER, [Color] INTEGER)",
         "CREATE TABLE Information ([Name] TEXT, [Note] TEXT)",
         "INSERT INTO Information VALUES ('Version', '6'), ('FreeRecID', '1')",
         "INSERT INTO Category VALUES (0, 'Unfiled', 0, 0)"},
        error);
}

bool SameInColumn(const PmColumn& column, const void* a, const void* b) {
    const auto* left = static_cast<const std::uint8_t*>(a) + column.offset;
    const auto* right = static_cast<const std::uint8_t*>(b) + column.offset;
    switch (column.value) {
    case ColumnValue::Int:
    case ColumnValue::NumberText:
        return std::memcmp(left, right, sizeof(std::int32_t)) == 0;
    case ColumnValue::Bool:
        return (*left != 0) == (*right != 0);
    case ColumnValue::Text:
        return ColumnText(column, a).view() == ColumnText(column, b).view();
    }
    return false;
}

} // namespace twinleaf
