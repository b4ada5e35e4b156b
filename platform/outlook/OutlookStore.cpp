// The Outlook stand-in's folders of item files.
#include "platform/outlook/OutlookStore.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/CalendarItem.h"
#include "platform/outlook/ContactCard.h"
#include "platform/outlook/StoreTime.h"
#include "platform/text/NoCase.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <fcntl.h>
#include <iostream>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace twinleaf::outlook {
namespace {

std::filesystem::path& folderOverride() {
    static std::filesystem::path folder;
    return folder;
}

StoreWarningHandler& warningHandler() {
    static StoreWarningHandler handler = [](const std::string& message) {
        std::cerr << "twinleaf: " << message << '\n';
    };
    return handler;
}

bool readContact(std::string_view bytes, StoredItem& item, std::string& error) {
    std::vector<ContentLine> lines;
    if (!parseSingleVCard(bytes, lines, error)) {
        return false;
    }
    readContactCard(lines, item);
    return true;
}

// Cards are read by our own parser, which keeps nothing between cards; calendar items go through
// libical and the local zone's cache, which are shared, so they are read one at a time.
const ItemCodec kContactCodec = {readContact, writeContactCard, completeContactForSave, true};
const ItemCodec kCalendarCodec = {readCalendarItem, writeCalendarItem, completeCalendarItemForSave,
                                  false};

std::uint64_t g_itemFileLimit = kDefaultItemFileLimit;
std::uint64_t g_readRound = 0;

// Reads a file in one go; the store reads thousands of small files on a load. A file larger
// than the item limit is refused unread (EFBIG), so one huge file cannot exhaust memory.
bool readFile(const std::filesystem::path& path, std::string& bytes, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && static_cast<std::uint64_t>(info.st_size) > g_itemFileLimit) {
        ::close(fd);
        errno = EFBIG;
        return false;
    }
    if (ok) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got == 0) {
                errno = EIO; // the file ended before its size: another program is writing it
            }
            ok = got > 0;
            done += ok ? static_cast<std::size_t>(got) : 0;
        }
    }
    const int readErrno = errno;
    ::close(fd);
    errno = readErrno;
    return ok;
}

double fileTimeAsOleDate(const struct stat& info) {
    std::tm local{};
    const std::time_t when = info.st_mtime;
    if (::localtime_r(&when, &local) == nullptr) {
        return 0;
    }
    return civilToOleDate({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec});
}

bool hasExtension(const std::filesystem::path& path, std::string_view extension) {
    return equalsAsciiNoCase(path.extension().string(), extension);
}

// One item file as read: the item, or why it is skipped.
struct FileRead {
    std::shared_ptr<StoredItem> item;
    std::string problem; // why a file that was read is skipped
    int readError = 0;   // the errno of a file that could not be read
    double fileTime = 0; // the file's time, for an item that does not say when it was made
};

FileRead readItemFile(const std::string& file, const ItemKind& kind, const ItemCodec& codec,
                      std::string& bytes) {
    FileRead read;
    struct stat info {};
    if (!readFile(file, bytes, info)) {
        read.readError = errno; // put into words by the caller: strerror is not for threads
        return read;
    }
    auto item = std::make_shared<StoredItem>();
    item->kind = &kind;
    item->values = initialValues(kind);
    std::string reason;
    if (!codec.read(bytes, *item, reason)) {
        read.problem = reason + "; skipped and left as it is";
        return read;
    }
    if (item->id.empty()) {
        item->id = std::filesystem::path(file).stem().string();
    }
    item->file = file;
    item->fileStamp = stampOf(info, bytes);
    read.fileTime = fileTimeAsOleDate(info);
    read.item = std::move(item);
    return read;
}

// Reads and decodes every file, in as many threads as the machine has cores when the kind's
// reader shares nothing between items (a large folder is mostly this work); the results stand in
// the files' order whatever thread read them.
std::vector<FileRead> readItemFiles(const std::vector<std::string>& files, const ItemKind& kind) {
    const ItemCodec& codec = codecFor(kind);
    std::vector<FileRead> reads(files.size());
    constexpr std::size_t kFilesPerThread = 256;
    const std::size_t wanted = codec.readsInParallel ? files.size() / kFilesPerThread : 0;
    const std::size_t threads =
        std::min<std::size_t>({wanted, std::max(1u, std::thread::hardware_concurrency()), 16});
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            std::string bytes;
            constexpr std::size_t kBatch = 64;
            for (std::size_t from = next.fetch_add(kBatch); from < files.size();
                 from = next.fetch_add(kBatch)) {
                for (std::size_t at = from; at < std::min(from + kBatch, files.size()); ++at) {
                    reads[at] = readItemFile(files[at], kind, codec, bytes);
                }
            }
        } catch (...) {
            const std::lock_guard<std::mutex> hold(failureLock);
            failure = std::current_exception();
            next = files.size(); // the others stop at their next batch
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads);
    for (std::size_t i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // the threads there are share the work
        }
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return reads;
}

std::string describe(const std::filesystem::path& path, const std::error_code& error) {
    return path.string() + ": " + error.message();
}

} // namespace

void setStoreFolderOverride(const std::filesystem::path& folder) {
    folderOverride() = folder;
}

std::filesystem::path storeFolder() {
    if (!folderOverride().empty()) {
        return folderOverride();
    }
    if (const char* configured = std::getenv("TWINLEAF_OUTLOOK_STORE");
        configured != nullptr && *configured != '\0') {
        return std::filesystem::absolute(configured);
    }
    return dataFolder() / "Outlook";
}

StoreWarningHandler setStoreWarningHandler(StoreWarningHandler handler) {
    StoreWarningHandler previous = std::move(warningHandler());
    warningHandler() = std::move(handler);
    return previous;
}

void storeWarning(const std::string& message) {
    if (warningHandler()) {
        warningHandler()(message);
    }
}

ScopedStoreWarnings::ScopedStoreWarnings()
    : m_previous(setStoreWarningHandler(
          [this](const std::string& message) { m_messages.push_back(message); })) {}

ScopedStoreWarnings::~ScopedStoreWarnings() {
    setStoreWarningHandler(std::move(m_previous));
}

const ItemCodec& codecFor(const ItemKind& kind) {
    return kind.type == ItemType::Contact ? kContactCodec : kCalendarCodec;
}

void setItemFileLimit(std::uint64_t bytes) {
    g_itemFileLimit = bytes;
}

std::uint64_t itemFileLimit() {
    return g_itemFileLimit;
}

void rereadStoreFolders() {
    ++g_readRound;
}

StoreFolder::StoreFolder(const ItemKind& kind, std::filesystem::path path)
    : m_kind(kind), m_path(std::move(path)) {}

bool StoreFolder::loadIfReread(std::string& error) {
    return m_readRound == g_readRound || load(error);
}

bool StoreFolder::load(std::string& error) {
    m_items.clear();
    m_positions.clear();
    m_readRound = g_readRound;
    std::error_code ec;
    const auto status = std::filesystem::status(m_path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return true;
    }
    if (ec) {
        error = describe(m_path, ec);
        return false;
    }
    if (status.type() != std::filesystem::file_type::directory) {
        error = m_path.string() + ": is not a folder";
        return false;
    }
    removeStaleTemporaryFiles(m_path);
    std::vector<std::string> files;
    std::filesystem::directory_iterator entries(m_path, ec);
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        const std::filesystem::path& file = entries->path();
        // Hidden files include the temporary files of a save in progress.
        if (file.filename().string().starts_with('.') ||
            !hasExtension(file, m_kind.fileExtension)) {
            continue;
        }
        std::error_code typeError;
        if (entries->is_regular_file(typeError)) {
            files.push_back(file.string());
        }
    }
    if (ec) {
        error = describe(m_path, ec);
        return false;
    }
    // In name order, so which of two files claiming one id is loaded does not depend on the
    // file system's order.
    std::sort(files.begin(), files.end());
    const int creationTime = m_kind.require("CreationTime");
    const int modificationTime = m_kind.require("LastModificationTime");
    const int entryId = m_kind.require("EntryID");
    std::vector<FileRead> reads = readItemFiles(files, m_kind);
    std::unordered_map<std::string_view, std::size_t> claimedBy;
    claimedBy.reserve(reads.size());
    std::vector<std::shared_ptr<StoredItem>> loaded;
    loaded.reserve(reads.size());
    m_skipped.clear();
    const auto skip = [this](std::string message) {
        storeWarning(message);
        m_skipped.push_back(std::move(message));
    };
    for (std::size_t at = 0; at < reads.size(); ++at) {
        FileRead& read = reads[at];
        if (read.readError != 0) {
            skip("Outlook store: " + files[at] + ": cannot be read (" +
                 std::strerror(read.readError) + "); skipped");
            continue;
        }
        if (read.item == nullptr) {
            skip("Outlook store: " + files[at] + ": " + read.problem);
            continue;
        }
        StoredItem& item = *read.item;
        const auto [claim, first] = claimedBy.emplace(item.id, at);
        if (!first) {
            skip("Outlook store: " + files[at] + ": has the id \"" + item.id + "\" of " +
                 std::filesystem::path(files[claim->second]).filename().string() +
                 "; skipped, not merged");
            continue;
        }
        item.values[static_cast<std::size_t>(entryId)].text = item.id;
        // Cards from other programs rarely say when they were made; the file's time is the best
        // there is, and it keeps the order stable from one run to the next.
        for (const int stamp : {creationTime, modificationTime}) {
            if (item.values[static_cast<std::size_t>(stamp)].number == 0) {
                item.values[static_cast<std::size_t>(stamp)].number = read.fileTime;
            }
        }
        loaded.push_back(std::move(read.item));
    }
    std::stable_sort(loaded.begin(), loaded.end(), [&](const auto& left, const auto& right) {
        const double leftTime = left->values[static_cast<std::size_t>(creationTime)].number;
        const double rightTime = right->values[static_cast<std::size_t>(creationTime)].number;
        return leftTime != rightTime ? leftTime < rightTime : left->id < right->id;
    });
    m_items.reserve(loaded.size());
    for (auto& item : loaded) {
        m_positions.emplace(item->id, m_items.size());
        m_items.push_back(std::move(item));
    }
    return true;
}

// Ids grow with time (milliseconds, then a counter), so items made within one second still
// enumerate in the order they were made; the random tail keeps two processes apart.
std::string StoreFolder::newId() const {
    static std::mt19937_64 random{std::random_device{}()};
    static std::uint32_t counter = 0;
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
    for (;;) {
        char id[32];
        std::snprintf(id, sizeof id, "%012llx%04x%08x",
                      static_cast<unsigned long long>(milliseconds) & 0xFFFFFFFFFFFFull,
                      counter++ & 0xFFFFu, static_cast<unsigned>(random() & 0xFFFFFFFFu));
        std::error_code ec;
        if (m_positions.count(id) == 0 &&
            !std::filesystem::exists(m_path / (std::string(id) + m_kind.fileExtension), ec)) {
            return id;
        }
    }
}

std::shared_ptr<const StoredItem> StoreFolder::save(const StoredItem& item, std::string& error) {
    const ItemCodec& codec = codecFor(m_kind);
    StoredItem saved = item;
    saved.kind = &m_kind;
    const auto known = m_positions.find(saved.id);
    const bool isNew = known == m_positions.end();
    const double now = nowAsOleDate();
    if (isNew) {
        // A new id every time: an id the folder does not know may be that of a file it skipped.
        saved.id = newId();
        saved.file = (m_path / (saved.id + m_kind.fileExtension)).string();
        saved.value("CreationTime").number = now;
    }
    saved.value("LastModificationTime").number = now;
    saved.value("EntryID").text = saved.id;
    if (codec.completeForSave != nullptr) {
        codec.completeForSave(saved);
    }
    std::error_code ec;
    // A run that withholds its writes leaves even a missing folder missing.
    if (!writesWithheld()) {
        std::filesystem::create_directories(m_path, ec);
    }
    if (ec) {
        error = describe(m_path, ec);
        return nullptr;
    }
    // A file another program changed since it was loaded keeps that change: nothing is written.
    if (!isNew && changedSince(saved.file, m_items[known->second]->fileStamp)) {
        error = saved.file + std::string(kChangedSinceLoaded);
        return nullptr;
    }
    const std::string bytes = codec.write(saved);
    const AtomicSaveResult written = saveAtomically(saved.file, bytes, KeepBackup::No, Flush::No);
    if (!written) {
        error = written.error;
        return nullptr;
    }
    if (writesWithheld()) {
        // The file still holds what was loaded (or does not exist): a later save of the same
        // item in the run must not take its own withheld write for another program's change.
        saved.fileStamp = isNew ? FileStamp{} : m_items[known->second]->fileStamp;
    } else {
        saved.fileStamp = stampOf(saved.file, bytes);
        m_unflushed = true;
    }
    auto stored = std::make_shared<const StoredItem>(std::move(saved));
    if (isNew) {
        m_positions.emplace(stored->id, m_items.size());
        m_items.push_back(stored);
    } else {
        m_items[known->second] = stored;
    }
    return stored;
}

Store::Store(std::filesystem::path root) : m_root(std::move(root)) {}

Store::~Store() {
    for (const auto& [kind, folder] : m_folders) {
        if (folder && folder->unflushed()) {
            flushFileSystem(folder->path());
            break; // one flush covers the whole file system
        }
    }
}

bool Store::open(std::string& error) {
    std::error_code ec;
    std::filesystem::path probe = m_root;
    // A store still to be created needs a folder above it that we may write into.
    while (!std::filesystem::exists(probe, ec) && probe.has_parent_path() &&
           probe.parent_path() != probe) {
        probe = probe.parent_path();
    }
    if (!std::filesystem::is_directory(probe, ec)) {
        error = "Outlook store " + m_root.string() + ": " + probe.string() + " is not a folder";
        return false;
    }
    const int wanted = probe == m_root ? R_OK | W_OK | X_OK : W_OK | X_OK;
    if (::access(probe.c_str(), wanted) != 0) {
        error = "Outlook store " + m_root.string() + ": " + probe.string() + ": " +
                std::strerror(errno);
        return false;
    }
    return true;
}

StoreFolder* Store::folder(const ItemKind& kind, std::string& error) {
    auto& folder = m_folders[&kind];
    if (!folder) {
        auto loaded = std::make_unique<StoreFolder>(kind, m_root / kind.folderName);
        if (!loaded->load(error)) {
            error = "Outlook store: " + error;
            return nullptr;
        }
        folder = std::move(loaded);
    } else {
        // Everyone who opens the folder hears about the files it left out, not only the first:
        // a sync must not take a folder with unread items for complete.
        for (const std::string& message : folder->skipped()) {
            storeWarning(message);
        }
    }
    return folder.get();
}

} // namespace twinleaf::outlook
