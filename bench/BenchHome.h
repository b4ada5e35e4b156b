// A program folder of a benchmark's own, with the Outlook stand-in's store in it, shared by the
// benchmarks that read or write the store.
#pragma once

#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace twinleaf::bench {

// A temporary program folder with its own store, removed at the end. It is made in the current
// folder (the build tree), like a user's home and unlike /tmp, where the constant coming and
// going of other programs' files can make each new file cost the file system ten times as much.
class BenchHome {
public:
    BenchHome() {
        std::string pattern = (std::filesystem::current_path() / "twinleaf-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        setProgramFolderOverride(m_path);
        outlook::setStoreFolderOverride(m_path / "Outlook");
        outlook::setStoreWarningHandler(nullptr);
    }
    ~BenchHome() {
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace twinleaf::bench
