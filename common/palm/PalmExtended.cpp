// The parts of the extended layout that do not depend on a kind's record: the signature and
// version tag, the header block with its sequence counter, the stored name with its trailer, and
// the schema check.
#include "common/palm/PalmExtended.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace twinleaf {
namespace {

std::uint32_t tagAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    palm::ByteReader in(bytes);
    std::uint32_t tag = 0;
    in.seek(offset);
    in.u32(tag);
    return tag;
}

std::string tagText(std::uint32_t tag) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", tag & 0xFF, (tag >> 8) & 0xFF,
                  (tag >> 16) & 0xFF, tag >> 24);
    return text;
}

bool hasSignatureText(std::span<const std::uint8_t> head, std::size_t& matched) {
    const std::string_view text = palm::kExtendedSignatureText;
    const std::size_t start = palm::kExtendedMagic.size();
    matched = 0;
    while (start + matched < head.size() && matched < text.size() &&
           head[start + matched] == static_cast<std::uint8_t>(text[matched])) {
        ++matched;
    }
    return matched == text.size();
}

enum class Head { Signed, Bare, WrappedClassic, NotMine, Cut };

// What the first bytes of a file say about it, with the reason in `note` when it is not one to
// read as this kind's extended file.
Head classify(std::span<const std::uint8_t> head, const ExtendedFileKind& kind, std::string& note) {
    std::size_t matched = 0;
    const std::size_t tagOffset = palm::kExtendedSignatureSize;
    if (hasSignatureText(head, matched)) {
        if (head.size() < tagOffset + 4) {
            note = "the file ends inside its version tag";
            return Head::Cut;
        }
        const std::uint32_t tag = tagAt(head, tagOffset);
        if (tag == kind.versionTag) {
            return Head::Signed;
        }
        if (tag == kind.classicVersionTag) {
            note = std::string("a classic body behind the extended signature, not an ") +
                   kind.description;
            return Head::WrappedClassic;
        }
        note = std::string("not an ") + kind.description + " (version tag " + tagText(tag) +
               ", one has " + tagText(kind.versionTag) + ")";
        return Head::NotMine;
    }
    if (head.size() >= 4 && tagAt(head, 0) == kind.versionTag) {
        return Head::Bare;
    }
    if (head.size() < tagOffset && head.size() > palm::kExtendedMagic.size() &&
        matched == head.size() - palm::kExtendedMagic.size()) {
        note = "the file ends inside its signature";
        return Head::Cut;
    }
    note = std::string("not an ") + kind.description + " (no extended signature)";
    return Head::NotMine;
}

} // namespace

FormSniff SniffExtendedFile(const std::string& path, const ExtendedFileKind& kind) {
    FormSniff sniff;
    if (!ProbeFile(path, sniff)) {
        return sniff;
    }
    const std::string head = ReadFileHead(path, palm::kExtendedSignatureSize + 4);
    std::string note;
    switch (
        classify({reinterpret_cast<const std::uint8_t*>(head.data()), head.size()}, kind, note)) {
    case Head::Signed:
    case Head::Bare:
        return {FormBid::Readable, {}};
    case Head::Cut:
        return {FormBid::Damaged, path + ": " + note};
    default:
        return {FormBid::NotMine, path + ": " + note};
    }
}

PmExtendedBase::PmExtendedBase(const ExtendedFileKind& kind) : m_kind(kind) {
    InitDefaults();
}

void PmExtendedBase::InitDefaults() {
    SetDefaults(m_kind.schema, m_kind.fieldTypes, m_kind.versionTag);
    std::copy(palm::kExtendedMagic.begin(), palm::kExtendedMagic.end(), m_signature.begin());
    std::memcpy(m_signature.data() + palm::kExtendedMagic.size(),
                palm::kExtendedSignatureText.data(), palm::kExtendedSignatureText.size());
    m_hasSignature = true;
    m_header.fill(0);
    m_header[palm::kHeaderCounterOffset] = m_kind.headerByte12;
    m_header[palm::kHeaderCounterOffset + 1] = palm::kFirstSequenceNo >> 8;
    m_nameTrailer.assign(m_kind.nameTrailerSize, 0);
    m_highestLoaded = 0;
    m_loadedRows = 0;
    m_nextSequenceNo = 0;
}

std::int32_t PmExtendedBase::GetHeaderCounter() const {
    return m_header[palm::kHeaderCounterOffset] | (m_header[palm::kHeaderCounterOffset + 1] << 8);
}

std::int32_t PmExtendedBase::NextSequenceNo() {
    if (m_nextSequenceNo == 0) {
        m_nextSequenceNo = std::max(GetHeaderCounter(), m_highestLoaded + 1);
    }
    return m_nextSequenceNo++;
}

void PmExtendedBase::NoteLoadedRows(std::int32_t highestSequenceNo, std::uint32_t rows) {
    m_highestLoaded = highestSequenceNo;
    m_loadedRows = rows;
}

bool PmExtendedBase::ReadSignature() {
    std::string note;
    switch (classify(LoadingBytes(), m_kind, note)) {
    case Head::Signed:
        m_hasSignature = true;
        return ReadBytes(m_signature.data(), m_signature.size());
    case Head::Bare:
        // Some programs write the body without the signature; it is read, and written back, so.
        m_hasSignature = false;
        return true;
    case Head::Cut:
        return Fail(LoadResult::Damaged, note);
    default:
        return Fail(LoadResult::NotThisFormat, note);
    }
}

bool PmExtendedBase::ReadHeaderBlock() {
    const std::size_t start = GetFilePosition();
    std::int32_t tag = 0;
    if (!ReadInt32(tag)) {
        return FailAt(LoadResult::Damaged, start, "the file ends inside its version tag");
    }
    if (static_cast<std::uint32_t>(tag) != m_versionTag) {
        return FailAt(LoadResult::NotThisFormat, start,
                      std::string("not an ") + m_kind.description + " (version tag " +
                          tagText(static_cast<std::uint32_t>(tag)) + ")");
    }
    if (!ReadBytes(m_header.data(), m_header.size())) {
        return FailAt(LoadResult::Damaged, start + 4, "the header block ends early");
    }
    return true;
}

bool PmExtendedBase::ReadStoredName() {
    if (!ReadStoredFileName()) {
        return false;
    }
    const std::size_t start = GetFilePosition();
    if (!ReadBytes(m_nameTrailer.data(), m_nameTrailer.size())) {
        return FailAt(LoadResult::Damaged, start,
                      "the " + std::to_string(m_nameTrailer.size()) +
                          " bytes after the stored file name are cut short");
    }
    return true;
}

// The row reader knows the kind's fields by their index; a type list longer than the kind's, or
// rows of another length than the list, would be read as fields they are not.
bool PmExtendedBase::CheckSchema() {
    const std::size_t known = m_kind.fieldTypes.size();
    if (m_fieldTypes.size() > known) {
        return Fail(LoadResult::Damaged, "the schema lists " + std::to_string(m_fieldTypes.size()) +
                                             " field types; an " + m_kind.description +
                                             " row has " + std::to_string(known));
    }
    if (m_schema.fieldsPerRow <= 0 ||
        static_cast<std::size_t>(m_schema.fieldsPerRow) != m_fieldTypes.size()) {
        return Fail(LoadResult::Damaged, "the schema gives " +
                                             std::to_string(m_schema.fieldsPerRow) +
                                             " fields per row but lists " +
                                             std::to_string(m_fieldTypes.size()) + " field types");
    }
    return true;
}

bool PmExtendedBase::RowsWhole() {
    if (m_loadResult == LoadResult::Partial) {
        m_loadResult = LoadResult::Damaged;
        return false;
    }
    return true;
}

bool PmExtendedBase::WriteSignature() {
    return !m_hasSignature || WriteBytes(m_signature.data(), m_signature.size());
}

bool PmExtendedBase::WriteHeaderBlock(std::uint32_t records, std::int32_t highestInList) {
    std::array<std::uint8_t, palm::kHeaderBlockSize> header = m_header;
    if (m_nextSequenceNo != 0 || records != m_loadedRows) {
        // The counter is the number the next new record gets: it never goes below what it was,
        // nor to a number a record already carries.
        std::int32_t counter = std::max(GetHeaderCounter(), m_nextSequenceNo);
        if (highestInList >= counter) {
            counter = highestInList + 1;
        }
        if (counter > palm::kMaxHeaderCounter) {
            return FailSave("sequence number " + std::to_string(counter) +
                            " is more than the header can count");
        }
        header[palm::kHeaderCounterOffset] = static_cast<std::uint8_t>(counter);
        header[palm::kHeaderCounterOffset + 1] = static_cast<std::uint8_t>(counter >> 8);
        if (header != m_header) {
            NoteChanged();
        }
    }
    return WriteInt32(static_cast<std::int32_t>(m_versionTag)) &&
           WriteBytes(header.data(), header.size());
}

bool PmExtendedBase::WriteStoredName(const std::string& path) {
    return WriteStoredFileName(path) &&
           (m_nameTrailer.empty() || WriteBytes(m_nameTrailer.data(), m_nameTrailer.size()));
}

} // namespace twinleaf
