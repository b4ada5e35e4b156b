// Where the Outlook stand-in keeps its items: a folder ("Outlook/" in the program folder unless
// configured) with one sub-folder per default folder (Contacts/, Calendar/, Tasks/, Notes/) and
// one file per item, named after the item's unique id: the vdir layout other address books and
// calendars (khard, khal, vdirsyncer) read and write.
//
// Files are never deleted, and a file the store cannot read faithfully is never written: it is
// skipped with a warning naming it. Ids are unique in a folder; a second file claiming an id
// already seen is reported and left out rather than merged. Items enumerate in a stable order,
// by creation time and then id, so a new item comes last; a save writes the one item's file
// atomically.
#pragma once

#include "platform/outlook/StoredItem.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace twinleaf::outlook {

// The store's folder: the override (tests, benchmarks), else $TWINLEAF_OUTLOOK_STORE, else
// "Outlook" in the program folder. An empty path removes the override.
void setStoreFolderOverride(const std::filesystem::path& folder);
std::filesystem::path storeFolder();

// Item files larger than this are skipped with a warning instead of being read whole: no item
// is anywhere near it, and reading a huge stray file would exhaust the memory.
constexpr std::uint64_t kDefaultItemFileLimit = 64ULL * 1024 * 1024;
void setItemFileLimit(std::uint64_t bytes);
std::uint64_t itemFileLimit();

// Makes every store folder read its files again when it is next enumerated from its first item,
// for a caller that learnt that another program changed them: a folder is otherwise read once
// per store, and its items' stamps would refuse every later save of a file changed since.
void rereadStoreFolders();

// Warnings about files the store skips and about a store it cannot use. The default handler
// prints "twinleaf: <message>" on standard error; the previous handler is returned. The skipped
// files of a folder are reported again each time the folder is opened.
using StoreWarningHandler = std::function<void(const std::string& message)>;
StoreWarningHandler setStoreWarningHandler(StoreWarningHandler handler);
void storeWarning(const std::string& message);

// Collects the store's warnings for the length of a scope instead of printing them.
class ScopedStoreWarnings {
public:
    ScopedStoreWarnings();
    ~ScopedStoreWarnings();
    ScopedStoreWarnings(const ScopedStoreWarnings&) = delete;
    ScopedStoreWarnings& operator=(const ScopedStoreWarnings&) = delete;
    const std::vector<std::string>& messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
    StoreWarningHandler m_previous;
};

// How one kind of item is read from and written to its file: contacts as vCards, the other
// kinds as iCalendar files.
struct ItemCodec {
    // Fills the item (values initialised, kind set) from a file's bytes; false with a reason.
    bool (*read)(std::string_view bytes, StoredItem& item, std::string& error);
    std::string (*write)(const StoredItem& item);
    void (*completeForSave)(StoredItem& item);
    // Whether `read` may decode several files at once, in different threads.
    bool readsInParallel = false;
};
const ItemCodec& codecFor(const ItemKind& kind);

class StoreFolder {
public:
    StoreFolder(const ItemKind& kind, std::filesystem::path path);
    const ItemKind& kind() const { return m_kind; }
    const std::filesystem::path& path() const { return m_path; }

    // Reads every item file. A folder that does not exist yet is empty (it is created by the
    // first save); one that exists but cannot be listed gives false and the reason.
    bool load(std::string& error);
    // Loads the folder again when rereadStoreFolders was called since its last load.
    bool loadIfReread(std::string& error);

    std::size_t size() const { return m_items.size(); }
    std::shared_ptr<const StoredItem> at(std::size_t index) const { return m_items[index]; }

    // Writes the item's file and returns the item as now stored. An item whose id the folder
    // does not know is new: it gets an id, a file and its creation time, and goes last; a known
    // one keeps its place. The store sets EntryID and the time stamps. On failure nothing
    // changes, the result is null and `error` says why.
    std::shared_ptr<const StoredItem> save(const StoredItem& item, std::string& error);

    // Whether a save wrote a file that has not been flushed to the disk yet.
    bool unflushed() const { return m_unflushed; }
    // The warnings about the files the last load skipped, one per file.
    const std::vector<std::string>& skipped() const { return m_skipped; }

private:
    std::string newId() const;

    const ItemKind& m_kind;
    std::filesystem::path m_path;
    std::vector<std::shared_ptr<const StoredItem>> m_items;
    std::unordered_map<std::string, std::size_t> m_positions; // id -> index in m_items
    bool m_unflushed = false;
    std::vector<std::string> m_skipped;
    std::uint64_t m_readRound = 0; // the rereadStoreFolders round of the last load
};

// Each save replaces its file atomically; the flush to the disk waits until the store is closed
// (when Outlook is let go), so that a sync run writing a thousand contacts does not wait for the
// disk a thousand times.
class Store {
public:
    explicit Store(std::filesystem::path root);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    const std::filesystem::path& root() const { return m_root; }

    // Whether the store can be used: its folder, or the nearest folder above it that exists when
    // it is still to be created, must be a folder we may read and write.
    bool open(std::string& error);

    // The folder of one default folder, loaded on first use; null with the reason when it
    // cannot be read.
    StoreFolder* folder(const ItemKind& kind, std::string& error);

private:
    std::filesystem::path m_root;
    std::map<const ItemKind*, std::unique_ptr<StoreFolder>> m_folders;
};

} // namespace twinleaf::outlook
