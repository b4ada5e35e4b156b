// The row engine: tagged fields, and the decoding and encoding of whole rows by a kind's field
// table. Unchanged fields go back as the loaded file's own bytes, so only what the program changed
// is ever encoded.
#include "common/palm/PalmComm.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace twinleaf {

using palm::ByteWriter;
using palm::hexOffset;

namespace {

// A repeat field begins with its tag and its exception dates; what follows them is the class part
// that a rewrite replaces.
struct RepeatHead {
    std::span<const std::uint8_t> withExceptions; // tag, count and dates
    std::uint16_t marker = 0;
};

bool splitRepeat(std::span<const std::uint8_t> field, RepeatHead& head) {
    palm::ByteReader in(field);
    std::uint16_t exceptions = 0;
    if (!in.skip(4) || !in.u16(exceptions) || !in.skip(std::size_t{exceptions} * 4)) {
        return false;
    }
    head.withExceptions = field.first(in.offset());
    return in.u16(head.marker);
}

// The words each repeat type carries after the four every repeat has, in file order; all are
// 4 bytes but the one-byte day mask.
enum class RepeatWord : std::uint8_t { DayIndex, DaysMask, WeekIndex, DateNumber, MonthIndex };
using RepeatWords = std::span<const RepeatWord>;

RepeatWords wordsOfType(std::int32_t type) {
    using W = RepeatWord;
    static constexpr W kDaily[] = {W::DayIndex};
    static constexpr W kWeekly[] = {W::DayIndex, W::DaysMask};
    static constexpr W kMonthlyByDay[] = {W::DayIndex, W::WeekIndex};
    static constexpr W kMonthlyByDate[] = {W::DateNumber};
    static constexpr W kYearlyByDate[] = {W::DateNumber, W::MonthIndex};
    switch (type) {
    case palm::kRepeatDaily:
        return kDaily;
    case palm::kRepeatWeekly:
        return kWeekly;
    case palm::kRepeatMonthlyByDay:
        return kMonthlyByDay;
    case palm::kRepeatMonthlyByDate:
        return kMonthlyByDate;
    case palm::kRepeatYearlyByDate:
        return kYearlyByDate;
    default: // yearly by day and unknown types carry no words of their own
        return {};
    }
}

std::int32_t* wordOf(RepeatValue& value, RepeatWord word) {
    switch (word) {
    case RepeatWord::DayIndex:
        return &value.DayIndex;
    case RepeatWord::WeekIndex:
        return &value.WeekIndex;
    case RepeatWord::DateNumber:
        return &value.DateNumber;
    default:
        return &value.MonthIndex;
    }
}

// Texts of 8191 characters and more are never held whole in a record.
constexpr std::size_t kStringFieldHeld = 8191;

// A record the codec made for the length of one row's decoding.
class ScratchRecord {
public:
    explicit ScratchRecord(const RowCodec& codec)
        : m_codec(codec), m_record(static_cast<std::uint8_t*>(codec.newRecord())) {}
    ~ScratchRecord() {
        if (m_record != nullptr) {
            m_codec.deleteRecord(m_record);
        }
    }
    ScratchRecord(const ScratchRecord&) = delete;
    ScratchRecord& operator=(const ScratchRecord&) = delete;
    std::uint8_t* data() const { return m_record; }

private:
    const RowCodec& m_codec;
    std::uint8_t* m_record;
};

std::int32_t loadInt(const std::uint8_t* record, std::uint32_t offset) {
    std::int32_t value = 0;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

} // namespace

bool PmDBUtil::ReadFieldTag(std::int32_t& tag) {
    if (!m_reading || !m_reader.i32(tag)) {
        return SetReason("ends before the field's tag");
    }
    return true;
}

bool PmDBUtil::ReadIntField(std::int32_t& value) {
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    if (tag != palm::kFieldInteger && tag != palm::kFieldBoolean && tag != palm::kFieldDate) {
        return SetReason("tag " + std::to_string(tag) + " where a number belongs");
    }
    if (!m_reader.i32(value)) {
        return SetReason("ends inside a number");
    }
    return true;
}

bool PmDBUtil::ReadStringFieldBytes(std::string_view& held) {
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    if (tag != palm::kFieldString) {
        return SetReason("tag " + std::to_string(tag) + " where a text belongs");
    }
    if (!m_reader.skip(4)) {
        return SetReason("ends inside a text field");
    }
    std::uint32_t length = 0;
    if (!ReadCStringLength(length)) {
        return false;
    }
    if (length > m_reader.remaining()) {
        return SetReason("text of " + std::to_string(length) + " bytes runs past the end (" +
                         std::to_string(m_reader.remaining()) + " bytes left)");
    }
    const std::span<const std::uint8_t> bytes = m_reader.bytes().subspan(
        m_reader.offset(), std::min(static_cast<std::size_t>(length), kStringFieldHeld));
    held = {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    m_reader.skip(length);
    return true;
}

bool PmDBUtil::ReadStringField(char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return false;
    }
    buffer[0] = '\0';
    std::string_view text;
    if (!ReadStringFieldBytes(text)) {
        return false;
    }
    const std::size_t held = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), held);
    buffer[held] = '\0';
    return true;
}

bool PmDBUtil::ReadStringField(TextValue& text, std::size_t width) {
    text.clear();
    std::string_view held;
    if (width == 0 || !ReadStringFieldBytes(held)) {
        return false;
    }
    text.assign(held, width);
    return true;
}

bool PmDBUtil::WriteIntField(std::int32_t value) {
    return WriteInt32(palm::kFieldInteger) && WriteInt32(value);
}
bool PmDBUtil::WriteDateField(std::int32_t value) {
    return WriteInt32(palm::kFieldDate) && WriteInt32(value);
}
bool PmDBUtil::WriteBoolField(std::int32_t value) {
    return WriteInt32(palm::kFieldBoolean) && WriteInt32(value);
}
bool PmDBUtil::WriteStringField(std::string_view text) {
    return WriteInt32(palm::kFieldString) && WriteInt32(palm::kStringFieldWord) &&
           WriteCString(text);
}
bool PmDBUtil::WriteStringField(const char* text) {
    return WriteStringField(text == nullptr ? std::string_view{} : std::string_view{text});
}

bool PmDBUtil::ReadInt64Field(std::int64_t& value) {
    std::int32_t word = 0;
    if (!ReadFieldTag(word)) {
        return false;
    }
    return ReadInt64(value);
}

bool PmDBUtil::WriteInt64Field(std::int64_t value) {
    return WriteInt32(palm::kInt64FieldWord) && WriteInt64(value);
}

bool PmDBUtil::ReadBlobField(BlobValue& blob) {
    blob = BlobValue{};
    if (!m_reading || !m_reader.i32(blob.Word0) || !m_reader.i32(blob.Kind)) {
        return SetReason("ends inside a blob field");
    }
    const auto kind = static_cast<std::uint32_t>(blob.Kind);
    std::uint32_t size = 0;
    if (kind == 0) {
        return true;
    }
    if (kind <= 3) {
        if (!m_reader.i32(blob.Word2) || !m_reader.i32(blob.Word3) || !m_reader.i32(blob.Size)) {
            return SetReason("ends inside a blob field");
        }
        if (blob.Size < 0) {
            return SetReason("blob size " + std::to_string(blob.Size));
        }
        size = static_cast<std::uint32_t>(blob.Size);
    } else {
        size = kind;
    }
    if (size > m_reader.remaining()) {
        return SetReason("blob of " + std::to_string(size) + " bytes runs past the end (" +
                         std::to_string(m_reader.remaining()) + " bytes left)");
    }
    blob.Size = static_cast<std::int32_t>(size);
    if (size == 0) {
        return true;
    }
    blob.Data = static_cast<std::uint8_t*>(std::malloc(size));
    if (blob.Data == nullptr) {
        return SetReason("out of memory for a blob");
    }
    m_reader.copy(blob.Data, size);
    return true;
}

bool PmDBUtil::WriteBlobField(const BlobValue& blob) {
    const auto kind = static_cast<std::uint32_t>(blob.Kind);
    const bool carriesData = (kind >= 1 && kind <= 3 && blob.Size != 0) || kind >= 4;
    if (carriesData && blob.Data == nullptr) {
        return false;
    }
    if (!WriteInt32(blob.Word0) || !WriteInt32(blob.Kind)) {
        return false;
    }
    if (kind == 0) {
        return true;
    }
    if (kind <= 3) {
        if (!WriteInt32(blob.Word2) || !WriteInt32(blob.Word3) || !WriteInt32(blob.Size)) {
            return false;
        }
        return blob.Size == 0 || WriteBytes(blob.Data, static_cast<std::uint32_t>(blob.Size));
    }
    return WriteBytes(blob.Data, kind);
}

bool CopyBlob(const BlobValue& from, BlobValue& to) {
    to = from;
    to.Data = nullptr;
    if (from.Data == nullptr || from.Size <= 0) {
        return true;
    }
    to.Data = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(from.Size)));
    if (to.Data == nullptr) {
        return false;
    }
    std::memcpy(to.Data, from.Data, static_cast<std::size_t>(from.Size));
    return true;
}

void FreeBlob(BlobValue& blob) {
    std::free(blob.Data);
    blob.Data = nullptr;
}

bool PmDBUtil::ReadRepeatField(RepeatValue& value) {
    value = RepeatValue{};
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    if (tag != palm::kFieldRepeatEvent) {
        return SetReason("tag " + std::to_string(tag) + " where a repeat belongs");
    }
    std::uint16_t exceptions = 0;
    if (!m_reader.u16(exceptions)) {
        return SetReason("ends before the repeat's exception count");
    }
    if (!m_reader.skip(std::size_t{exceptions} * 4)) {
        return SetReason(std::to_string(exceptions) + " exceptions announced, " +
                         std::to_string(m_reader.remaining()) + " bytes left");
    }
    std::uint16_t marker = 0;
    if (!m_reader.u16(marker)) {
        return SetReason("ends before the repeat's class");
    }
    if (marker == palm::kRepeatNone) {
        return true;
    }
    // Any other marker refers to a class named earlier in the file; only the words follow.
    if (marker == palm::kRepeatNewClass) {
        std::uint16_t schema = 0;
        std::uint16_t length = 0;
        if (!m_reader.u16(schema) || !m_reader.u16(length)) {
            return SetReason("ends inside the repeat's class entry");
        }
        if (schema != palm::kRepeatClassSchema) {
            return SetReason("repeat class entry of schema " + std::to_string(schema));
        }
        if (!m_reader.skip(length)) {
            return SetReason("repeat class name of " + std::to_string(length) +
                             " bytes runs past the end");
        }
    }
    if (!m_reader.i32(value.RepeatType)) {
        return SetReason("ends inside the repeat's words");
    }
    // A type without a class could not be written back: the file is not one Palm Desktop wrote.
    if (value.RepeatType < 0 || value.RepeatType > palm::kRepeatYearlyByDay) {
        return SetReason("repeat of unknown type " + std::to_string(value.RepeatType));
    }
    bool ok = m_reader.i32(value.Interval) && m_reader.i32(value.EndDate) &&
              m_reader.i32(value.FirstDayOfWeek);
    for (const RepeatWord word : ok ? wordsOfType(value.RepeatType) : RepeatWords{}) {
        ok = ok && (word == RepeatWord::DaysMask ? m_reader.u8(value.DaysMask)
                                                 : m_reader.i32(*wordOf(value, word)));
    }
    return ok || SetReason("ends inside the repeat's words");
}

bool PmDBUtil::WriteRepeatField(const RepeatValue& value) {
    const std::uint8_t noExceptions[6] = {palm::kFieldRepeatEvent, 0, 0, 0, 0, 0};
    return EncodeRepeat(value, noExceptions);
}

// Every repeat goes out with its full class entry: a reference to an entry of an earlier row
// would name the wrong class as soon as that row changes or goes.
bool PmDBUtil::EncodeRepeat(const RepeatValue& value, std::span<const std::uint8_t> head) {
    if (!m_writing) {
        return false;
    }
    if (value.RepeatType < 0 || value.RepeatType > palm::kRepeatYearlyByDay) {
        return FailSave("repeat type " + std::to_string(value.RepeatType) +
                        " has no class a file can name");
    }
    ByteWriter out(m_out);
    out.bytes(head);
    if (value.RepeatType == palm::kRepeatNone) {
        out.u16(palm::kRepeatNone);
        return true;
    }
    const std::string_view name =
        palm::kRepeatClassNames[static_cast<std::size_t>(value.RepeatType)];
    out.u16(palm::kRepeatNewClass);
    out.u16(palm::kRepeatClassSchema);
    out.u16(static_cast<std::uint16_t>(name.size()));
    out.bytes(name.data(), name.size());
    out.i32(value.RepeatType);
    out.i32(value.Interval);
    out.i32(value.EndDate);
    out.i32(value.FirstDayOfWeek);
    RepeatValue words = value;
    for (const RepeatWord word : wordsOfType(value.RepeatType)) {
        if (word == RepeatWord::DaysMask) {
            out.u8(value.DaysMask);
        } else {
            out.i32(*wordOf(words, word));
        }
    }
    return true;
}

bool PmDBUtil::SkipField(std::int32_t index) {
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    switch (tag) {
    case palm::kFieldInteger:
    case palm::kFieldDate:
    case palm::kFieldBoolean:
        return m_reader.skip(4) || SetReason("ends inside a number");
    case palm::kFieldString: {
        std::uint32_t length = 0;
        if (!m_reader.skip(4) || !ReadCStringLength(length)) {
            return SetReason("ends inside a text field");
        }
        return m_reader.skip(length) ||
               SetReason("text of " + std::to_string(length) + " bytes runs past the end");
    }
    case palm::kInt64FieldWord:
        return m_reader.skip(8) || SetReason("ends inside an 8-byte value");
    case palm::kFieldRepeatEvent: {
        m_reader.seek(m_reader.offset() - 4);
        RepeatValue repeat{};
        return ReadRepeatField(repeat);
    }
    default:
        if (tag >= palm::kFieldBlobFirst && tag <= palm::kFieldBlobLast) {
            m_reader.seek(m_reader.offset() - 4);
            BlobValue blob{};
            const bool ok = ReadBlobField(blob);
            FreeBlob(blob);
            return ok;
        }
        return SetReason("tag " + std::to_string(tag) + " in field " + std::to_string(index) +
                         ", which this kind of file does not have");
    }
}

std::int32_t PmDBUtil::NumberTag(std::size_t index, RowValue kind) const {
    if (index < m_fieldTypes.size()) {
        const std::int16_t listed = m_fieldTypes[index];
        if (listed == palm::kFieldInteger || listed == palm::kFieldDate ||
            listed == palm::kFieldBoolean) {
            return listed;
        }
    }
    return kind == RowValue::Bool   ? palm::kFieldBoolean
           : kind == RowValue::Date ? palm::kFieldDate
                                    : palm::kFieldInteger;
}

// Readers of these files take a 4-byte field only under the tag its file's type list gives it, so
// a field under another tag is as damaged to them as to us.
bool PmDBUtil::ReadNumberField(std::int32_t expectedTag, std::int32_t& value) {
    std::int32_t tag = 0;
    if (!ReadFieldTag(tag)) {
        return false;
    }
    if (tag != expectedTag) {
        return SetReason("tag " + std::to_string(tag) + " where the file's type list gives " +
                         std::to_string(expectedTag));
    }
    if (!m_reader.i32(value)) {
        return SetReason("ends inside a number");
    }
    return true;
}

bool PmDBUtil::DecodeField(const RowField& field, std::size_t index, std::uint8_t* record) {
    std::uint8_t* at = record + field.offset;
    switch (field.kind) {
    case RowValue::Text:
        return ReadStringField(RowText(field, record), field.width);
    case RowValue::Int64: {
        std::int64_t value = 0;
        return ReadInt64Field(value) && (std::memcpy(at, &value, sizeof value), true);
    }
    case RowValue::Blob: {
        BlobValue blob{};
        return ReadBlobField(blob) && (std::memcpy(at, &blob, sizeof blob), true);
    }
    case RowValue::Repeat: {
        RepeatValue repeat{};
        return ReadRepeatField(repeat) && (std::memcpy(at, &repeat, sizeof repeat), true);
    }
    case RowValue::Int:
    case RowValue::Bool:
    case RowValue::Date:
        break;
    }
    std::int32_t value = 0;
    return ReadNumberField(NumberTag(index, field.kind), value) &&
           (std::memcpy(at, &value, sizeof value), true);
}

void PmDBUtil::ReleaseRow(const RowCodec& codec, std::uint8_t* record) {
    for (const RowField& field : codec.fields) {
        if (field.kind == RowValue::Blob) {
            BlobValue blob{};
            std::memcpy(&blob, record + field.offset, sizeof blob);
            FreeBlob(blob);
            std::memcpy(record + field.offset, &blob, sizeof blob);
        }
    }
}

bool PmDBUtil::DecodeRow(const RowCodec& codec, std::int32_t fieldsPerRow, std::uint8_t* record,
                         std::vector<std::size_t>* fieldStarts) {
    if (fieldStarts != nullptr) {
        fieldStarts->clear();
    }
    for (std::int32_t i = 0; i < fieldsPerRow; ++i) {
        if (fieldStarts != nullptr) {
            fieldStarts->push_back(m_reader.offset());
        }
        const auto index = static_cast<std::size_t>(i);
        const bool ok = index < codec.fields.size()
                            ? DecodeField(codec.fields[index], index, record)
                            : SkipField(i);
        if (!ok) {
            m_reason = "field " + std::to_string(i) + ": " + m_reason;
            ReleaseRow(codec, record);
            return false;
        }
    }
    if (fieldStarts != nullptr) {
        fieldStarts->push_back(m_reader.offset());
    }
    return true;
}

bool PmDBUtil::ReadRows(const RowCodec& codec, const std::function<bool(void*)>& accept) {
    const std::size_t start = m_reader.offset();
    if (m_schema.fieldsPerRow <= 0) {
        return FailAt(LoadResult::Damaged, start,
                      "the schema gives " + std::to_string(m_schema.fieldsPerRow) +
                          " fields per row");
    }
    std::int32_t entryCount = 0;
    if (!m_reader.i32(entryCount)) {
        // The header is whole: what is there is an empty list, but not one to save over the file.
        m_loadResult = LoadResult::Partial;
        m_lastError =
            m_path + ": at offset " + hexOffset(start) + ": the file ends before its records";
        return true;
    }
    if (entryCount < 0) {
        m_loadResult = LoadResult::Partial;
        m_lastError = m_path + ": at offset " + hexOffset(start) + ": the entry count " +
                      std::to_string(entryCount) + " is negative";
        return true;
    }
    m_loadedFieldsPerRow = m_schema.fieldsPerRow;
    m_loadedEntryCount = entryCount;
    const std::int32_t rows = entryCount / m_schema.fieldsPerRow;
    for (std::int32_t row = 0; row < rows; ++row) {
        const std::size_t rowStart = m_reader.offset();
        const ScratchRecord record(codec);
        if (record.data() == nullptr) {
            m_loadResult = LoadResult::Partial;
            m_lastError = m_path + ": record " + std::to_string(row + 1) + ": out of memory";
            return true;
        }
        if (!DecodeRow(codec, m_schema.fieldsPerRow, record.data(), nullptr)) {
            m_loadResult = LoadResult::Partial;
            m_lastError = m_path + ": record " + std::to_string(row + 1) + " of " +
                          std::to_string(rows) + " at offset " + hexOffset(rowStart) + ": " +
                          m_reason;
            return true;
        }
        const auto fileRow = static_cast<std::uint32_t>(row + 1);
        std::memcpy(record.data() + codec.fileRowOffset, &fileRow, sizeof fileRow);
        // The list keeps its own copy of what the record owns; the scratch row lets go of it.
        const bool accepted = accept(record.data());
        ReleaseRow(codec, record.data());
        if (!accepted) {
            m_loadResult = LoadResult::Partial;
            m_lastError = m_path + ": record " + std::to_string(row + 1) + ": out of memory";
            return true;
        }
        m_rowOffsets.push_back(rowStart);
    }
    m_trailer = {m_reader.offset(), m_reader.remaining(), true};
    return true;
}

bool PmDBUtil::WriteEntryCount(std::uint32_t records) {
    if (m_schema.fieldsPerRow <= 0) {
        return FailSave("the schema gives " + std::to_string(m_schema.fieldsPerRow) +
                        " fields per row");
    }
    m_saveChanges = m_saveChanges || !m_trailer.valid || records != m_rowOffsets.size();
    if (m_trailer.valid && records == m_rowOffsets.size()) {
        // As many rows as were read: the count goes back as read, also where it was not a whole
        // multiple of the row size.
        return WriteInt32(m_loadedEntryCount);
    }
    const std::uint64_t entries = std::uint64_t{records} * std::uint64_t(m_schema.fieldsPerRow);
    if (entries > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return FailSave(std::to_string(records) + " records are more than the file can count");
    }
    return WriteInt32(static_cast<std::int32_t>(entries));
}

// A 4-byte field goes out under the tag the file's type list gives it, whatever the record calls
// it: a date book's end time is a date to us but an integer in the list Palm Desktop writes.
bool PmDBUtil::EncodeField(const RowField& field, std::size_t index, const std::uint8_t* record) {
    const std::uint8_t* at = record + field.offset;
    switch (field.kind) {
    case RowValue::Int:
    case RowValue::Bool:
    case RowValue::Date:
        return WriteInt32(NumberTag(index, field.kind)) &&
               WriteInt32(loadInt(record, field.offset));
    case RowValue::Text:
        return WriteStringField(RowText(field, record).view());
    case RowValue::Int64: {
        std::int64_t value = 0;
        std::memcpy(&value, at, sizeof value);
        return WriteInt64Field(value);
    }
    case RowValue::Blob: {
        BlobValue blob{};
        std::memcpy(&blob, at, sizeof blob);
        return WriteBlobField(blob) || FailSave("a blob announces data it does not hold");
    }
    case RowValue::Repeat: {
        RepeatValue repeat{};
        std::memcpy(&repeat, at, sizeof repeat);
        return WriteRepeatField(repeat);
    }
    }
    return false;
}

bool PmDBUtil::EncodeUnknownField(std::int32_t index) {
    const std::int16_t type = static_cast<std::size_t>(index) < m_fieldTypes.size()
                                  ? m_fieldTypes[static_cast<std::size_t>(index)]
                                  : std::int16_t{0};
    switch (type) {
    case palm::kFieldInteger:
        return WriteIntField(0);
    case palm::kFieldDate:
        return WriteDateField(0);
    case palm::kFieldBoolean:
        return WriteBoolField(0);
    case palm::kFieldString:
        return WriteStringField("");
    case palm::kFieldRepeatEvent:
        return WriteRepeatField(RepeatValue{});
    default:
        if (type >= palm::kFieldBlobFirst && type <= palm::kFieldBlobLast) {
            return WriteBlobField(BlobValue{type, 0, 0, 0, 0, nullptr});
        }
        return FailSave("field " + std::to_string(index) + " of a new record has type " +
                        std::to_string(type) + ", which this writer cannot fill");
    }
}

namespace {

bool sameField(const RowField& field, const std::uint8_t* a, const std::uint8_t* b) {
    const std::uint8_t* x = a + field.offset;
    const std::uint8_t* y = b + field.offset;
    switch (field.kind) {
    case RowValue::Text:
        return RowText(field, a).view() == RowText(field, b).view();
    case RowValue::Int64:
        return std::memcmp(x, y, sizeof(std::int64_t)) == 0;
    case RowValue::Blob: {
        BlobValue p{};
        BlobValue q{};
        std::memcpy(&p, x, sizeof p);
        std::memcpy(&q, y, sizeof q);
        if (p.Word0 != q.Word0 || p.Kind != q.Kind || p.Word2 != q.Word2 || p.Word3 != q.Word3 ||
            p.Size != q.Size) {
            return false;
        }
        return p.Size <= 0 || p.Data == q.Data ||
               (p.Data != nullptr && q.Data != nullptr &&
                std::memcmp(p.Data, q.Data, static_cast<std::size_t>(p.Size)) == 0);
    }
    case RowValue::Repeat: {
        RepeatValue p{};
        RepeatValue q{};
        std::memcpy(&p, x, sizeof p);
        std::memcpy(&q, y, sizeof q);
        return p.RepeatType == q.RepeatType && p.Interval == q.Interval && p.EndDate == q.EndDate &&
               p.FirstDayOfWeek == q.FirstDayOfWeek && p.DayIndex == q.DayIndex &&
               p.DaysMask == q.DaysMask && p.WeekIndex == q.WeekIndex &&
               p.MonthIndex == q.MonthIndex && p.DateNumber == q.DateNumber;
    }
    case RowValue::Int:
    case RowValue::Bool:
    case RowValue::Date:
        break;
    }
    return loadInt(a, field.offset) == loadInt(b, field.offset);
}

} // namespace

bool PmDBUtil::WriteRow(const RowCodec& codec, const void* record) {
    if (!m_writing) {
        return false;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(record);
    std::uint32_t fileRow = 0;
    std::memcpy(&fileRow, bytes + codec.fileRowOffset, sizeof fileRow);
    bool haveOriginal = fileRow != 0 && fileRow <= m_rowOffsets.size() &&
                        m_loadedFieldsPerRow == m_schema.fieldsPerRow;
    std::optional<ScratchRecord> original;
    // Rows in another order than the file's are a change even when each is as it was.
    m_saveChanges = m_saveChanges || fileRow != ++m_rowsWritten;
    if (haveOriginal) {
        // Decode the row as the file held it, to tell which fields the program changed. Without
        // it the row would be encoded whole, and texts held cut would lose what the file had.
        original.emplace(codec);
        if (original->data() == nullptr) {
            return FailSave("out of memory for row " + std::to_string(fileRow));
        }
        const palm::ByteReader saved = m_reader;
        const bool wasReading = m_reading;
        m_reader = palm::ByteReader(m_fileBytes);
        m_reader.seek(m_rowOffsets[fileRow - 1]);
        m_reading = true;
        haveOriginal = DecodeRow(codec, m_schema.fieldsPerRow, original->data(), &m_fieldStarts);
        m_reader = saved;
        m_reading = wasReading;
    }
    bool ok = true;
    for (std::int32_t i = 0; ok && i < m_schema.fieldsPerRow; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const bool known = index < codec.fields.size();
        const bool unchanged =
            haveOriginal && (!known || sameField(codec.fields[index], original->data(), bytes));
        m_saveChanges = m_saveChanges || !unchanged;
        if (haveOriginal) {
            const std::size_t start = m_fieldStarts[index];
            const std::span<const std::uint8_t> field =
                Loaded(start, m_fieldStarts[index + 1] - start);
            if (known && codec.fields[index].kind == RowValue::Repeat) {
                ok = RewriteRepeat(codec.fields[index], bytes, field, unchanged);
                continue;
            }
            if (unchanged) {
                ok = WriteBytes(field.data(), field.size());
                continue;
            }
        }
        ok = known ? EncodeField(codec.fields[index], index, bytes) : EncodeUnknownField(i);
    }
    if (haveOriginal) {
        ReleaseRow(codec, original->data());
    }
    return ok;
}

// A repeat of a row read from the file keeps its exception dates, changed or not, as long as it
// still repeats. Its class part is copied only when it is unchanged and names its class itself:
// a reference back to an earlier row's entry would name the wrong class as soon as an earlier row
// changes or goes, so it is written out in full.
bool PmDBUtil::RewriteRepeat(const RowField& field, const std::uint8_t* record,
                             std::span<const std::uint8_t> original, bool unchanged) {
    RepeatHead head;
    if (!splitRepeat(original, head)) {
        return false;
    }
    if (unchanged && (head.marker == palm::kRepeatNone || head.marker == palm::kRepeatNewClass)) {
        return WriteBytes(original.data(), original.size());
    }
    RepeatValue repeat{};
    std::memcpy(&repeat, record + field.offset, sizeof repeat);
    if (repeat.RepeatType == palm::kRepeatNone) {
        return WriteRepeatField(repeat);
    }
    return EncodeRepeat(repeat, head.withExceptions);
}

bool PmDBUtil::WriteTrailer() {
    if (!m_trailer.valid || m_trailer.size == 0) {
        return true;
    }
    return WriteBytes(Loaded(m_trailer.offset, m_trailer.size).data(), m_trailer.size);
}
} // namespace twinleaf
