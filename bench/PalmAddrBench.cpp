// Loading an address book through the contact facade (read, parse, list, convert to common
// records) and saving it back, with 10 000 and 100 000 contacts of realistic size, in the classic
// and in the extended form (whose contacts carry blobs). The books are made by our own writers in a
// temporary folder.
#include "common/palm/PalmAddrInfo.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using namespace twinleaf;

const char* const kFirst[] = {"Anna",  "Bernd", "Clara", "Dieter", "Emma",   "Felix",
                              "Greta", "Hans",  "Ida",   "Jonas",  "Katrin", "Lukas",
                              "Marie", "Nils",  "Olga",  "Paul",   "Rita",   "Stefan"};
const char* const kLast[] = {"Schmidt",  "Meyer", "Weber",      "Wagner",   "Becker",
                             "Hoffmann", "Koch",  "Richter",    "Klein",    "Wolf",
                             "Neumann",  "Braun", "Zimmermann", "Hartmann", "Kr\xFCger"};
const char* const kCompany[] = {
    "Acme Widgets GmbH",    "Northwind Traders", "Globex Corporation", "Initech", "", "",
    "Umbrella Logistics AG"};
const char* const kCity[] = {"Berlin", "Hamburg", "M\xFCnchen", "K\xF6ln", "Frankfurt am Main"};
const char* const kCategory[] = {"", "Business", "Personal", "QuickList", "Family"};

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "palm-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

TempFolder& folder() {
    static TempFolder temp;
    return temp;
}

std::string phone(std::mt19937& random) {
    return "+49 " + std::to_string(30 + random() % 70) + " " +
           std::to_string(1000000 + random() % 9000000);
}

// Writes a book of `count` contacts with our writer, once per size.
std::string book(int count) {
    static std::map<int, std::string> made;
    if (auto it = made.find(count); it != made.end()) {
        return it->second;
    }
    std::string path = (folder().path() / ("address-" + std::to_string(count) + ".dat")).string();
    std::mt19937 random(static_cast<unsigned>(count));
    PmAddrUtil file;
    file.SetSwapName(false);
    for (int i = 0; i < count; ++i) {
        PmAddrRec rec{};
        rec.RecordId = 0x00A00000 + i;
        rec.Position = i;
        copyToField(rec.FirstName, kFirst[random() % std::size(kFirst)]);
        copyToField(rec.LastName, kLast[random() % std::size(kLast)]);
        copyToField(rec.Company, kCompany[random() % std::size(kCompany)]);
        copyToField(rec.Title, i % 3 == 0 ? "Sales Manager" : "");
        const std::int32_t labels[] = {0, 1, 7, 4, 2};
        const int phones = 2 + static_cast<int>(random() % 4);
        std::int32_t* labelSlots[] = {&rec.PhoneLabel1, &rec.PhoneLabel2, &rec.PhoneLabel3,
                                      &rec.PhoneLabel4, &rec.PhoneLabel5};
        TextField<32>* textSlots[] = {&rec.Phone1, &rec.Phone2, &rec.Phone3, &rec.Phone4,
                                      &rec.Phone5};
        for (int p = 0; p < 5; ++p) {
            *labelSlots[p] = labels[p];
            if (p < phones) {
                copyToField(*textSlots[p], labels[p] == 4
                                               ? "contact" + std::to_string(i) + "@example.org"
                                               : phone(random));
            }
        }
        copyToField(rec.Address, std::to_string(1 + random() % 200) + " Hauptstra\xDF"
                                                                      "e");
        copyToField(rec.City, kCity[random() % std::size(kCity)]);
        copyToField(rec.Zip, std::to_string(10000 + random() % 89999));
        copyToField(rec.Country, "Germany");
        if (i % 4 == 0) {
            copyToField(rec.Note, "Met at the trade fair; prefers calls in the morning. Birthday "
                                  "in spring, send a card.");
        }
        copyToField(rec.CategoryName, kCategory[random() % std::size(kCategory)]);
        file.GetCategoryIdByName(rec.CategoryName, &rec.Category, true);
        if (i % 10 == 0) {
            copyToField(rec.Custom1, "Customer no. " + std::to_string(i));
        }
        file.GetRecords()->Add(&rec);
    }
    if (!file.Save(path.c_str())) {
        throw std::runtime_error(file.GetLastError());
    }
    made[count] = path;
    return path;
}

// An extended book of `count` contacts: seven phone slots, three addresses, a birthday, and a
// blob of a few dozen bytes in every row (Palm Desktop keeps pictures and sync data there).
std::string extendedBook(int count) {
    static std::map<int, std::string> made;
    if (auto it = made.find(count); it != made.end()) {
        return it->second;
    }
    std::string path =
        (folder().path() / ("address-ex-" + std::to_string(count) + ".dat")).string();
    std::mt19937 random(static_cast<unsigned>(count));
    PmAddrExUtil file;
    file.SetSwapName(false);
    std::uint8_t blobData[48];
    for (int i = 0; i < count; ++i) {
        PmAddrExRec rec{};
        rec.RecordId = 0x00A00000 + i;
        // The header counts sequence numbers in 16 bits; the largest books reuse them.
        rec.SequenceNo = palm::kFirstSequenceNo + i % 60000;
        rec.EntryIndex = i * palm::kAddrExSchema.fieldsPerRow;
        rec.Position = i;
        copyToField(rec.FirstName, kFirst[random() % std::size(kFirst)]);
        copyToField(rec.LastName, kLast[random() % std::size(kLast)]);
        copyToField(rec.Company, kCompany[random() % std::size(kCompany)]);
        copyToField(rec.Title, i % 3 == 0 ? "Sales Manager" : "");
        const std::int32_t labels[] = {0, 1, 7, 4, 2, 5, 3};
        std::int32_t* labelSlots[] = {&rec.PhoneLabel1, &rec.PhoneLabel2, &rec.PhoneLabel3,
                                      &rec.PhoneLabel4, &rec.PhoneLabel5, &rec.PhoneLabel6,
                                      &rec.PhoneLabel7};
        TextField<32>* textSlots[] = {&rec.Phone1, &rec.Phone2, &rec.Phone3, &rec.Phone4,
                                      &rec.Phone5, &rec.Phone6, &rec.Phone7};
        const int phones = 2 + static_cast<int>(random() % 5);
        for (int p = 0; p < 7; ++p) {
            *labelSlots[p] = labels[p];
            if (p < phones) {
                copyToField(*textSlots[p], labels[p] == 4
                                               ? "contact" + std::to_string(i) + "@example.org"
                                               : phone(random));
            }
        }
        copyToField(rec.Address1.Street, std::to_string(1 + random() % 200) + " Hauptstra\xDF"
                                                                              "e");
        copyToField(rec.Address1.City, kCity[random() % std::size(kCity)]);
        copyToField(rec.Address1.Zip, std::to_string(10000 + random() % 89999));
        copyToField(rec.Address1.Country, "Germany");
        rec.AddressType2 = 1;
        rec.AddressType3 = 2;
        if (i % 3 == 0) {
            copyToField(rec.Address2.Street, "Am Markt " + std::to_string(1 + random() % 40));
            copyToField(rec.Address2.City, kCity[random() % std::size(kCity)]);
        }
        if (i % 4 == 0) {
            copyToField(rec.Note, "Met at the trade fair; prefers calls in the morning. Birthday "
                                  "in spring, send a card.");
        }
        rec.BirthdayValue = kPalmDateOffset + (i % 5 == 0 ? 25569.0 + random() % 15000 : 0.0);
        copyToField(rec.CategoryName, kCategory[random() % std::size(kCategory)]);
        file.GetCategoryIdByName(rec.CategoryName, &rec.Category, true);
        if (i % 10 == 0) {
            copyToField(rec.Custom1, "Customer no. " + std::to_string(i));
            copyToField(rec.Custom7, "Account manager: " + std::string(kLast[i % 15]));
        }
        for (std::uint8_t& byte : blobData) {
            byte = static_cast<std::uint8_t>(random());
        }
        rec.Blob1 = {
            palm::kFieldBlobFirst, 1, 0, 0, static_cast<std::int32_t>(sizeof blobData), blobData};
        rec.Blob2 = {palm::kFieldBlobFirst + 1, 0, 0, 0, 0, nullptr};
        rec.Blob3 = {palm::kFieldBlobFirst + 2, 0, 0, 0, 0, nullptr};
        rec.Blob4 = {palm::kFieldBlobFirst + 3, 0, 0, 0, 0, nullptr};
        file.GetRecords()->Add(&rec); // the list keeps its own copy of the blob
    }
    if (!file.Save(path.c_str())) {
        throw std::runtime_error(file.GetLastError());
    }
    made[count] = path;
    return path;
}

using BookMaker = std::string (*)(int count);

void LoadAndConvert(benchmark::State& state, BookMaker makeBook) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = makeBook(count);
    for (auto _ : state) {
        auto info = std::make_unique<PmAddrInfo>();
        info->SetSwapName(false);
        if (!info->OpenPath(path.c_str()) ||
            info->GetCommMgr()->GetCount() != std::uint32_t(count)) {
            state.SkipWithError(info->GetLastError().c_str());
            break;
        }
        benchmark::DoNotOptimize(info->GetCommMgr()->GetAt(std::uint32_t(count) - 1));
        // Releasing the lists is not part of loading.
        state.PauseTiming();
        info.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

// Saving in place: every record goes back, unchanged rows from the bytes read, then the file is
// replaced atomically (written, flushed to disk, renamed, previous version kept).
void SaveInPlace(benchmark::State& state, BookMaker makeBook) {
    const int count = static_cast<int>(state.range(0));
    PmAddrInfo info;
    info.SetSwapName(false);
    if (!info.OpenPath(makeBook(count).c_str())) {
        state.SkipWithError(info.GetLastError().c_str());
        return;
    }
    // One changed contact in ten, as after a sync run that updated some of them.
    CommAddrMgr& list = *info.GetCommMgr();
    for (std::uint32_t i = 0; i < list.GetCount(); i += 10) {
        CommAddrRec change{};
        copyToField(change.Title, "Head of Sales");
        info.UpdateRecord(&change, static_cast<int>(i));
    }
    for (auto _ : state) {
        if (!info.Save()) {
            state.SkipWithError(info.GetLastError().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The bytes of a save without the file system: the writer's own share of SaveInPlace.
template <class File> void BuildSaveBytes(benchmark::State& state, BookMaker makeBook) {
    const int count = static_cast<int>(state.range(0));
    File file;
    file.SetSwapName(false);
    if (!file.Load(makeBook(count).c_str())) {
        state.SkipWithError(file.GetLastError().c_str());
        return;
    }
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes;
        if (!file.SaveToBytes(bytes)) {
            state.SkipWithError(file.GetLastError().c_str());
            break;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK_CAPTURE(LoadAndConvert, classic, &book)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadAndConvert, extended, &extendedBook)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveInPlace, classic, &book)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveInPlace, extended, &extendedBook)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
const auto kBuildClassic = BuildSaveBytes<PmAddrUtil>;
const auto kBuildExtended = BuildSaveBytes<PmAddrExUtil>;
BENCHMARK_CAPTURE(kBuildClassic, classic, &book)
    ->Name("BuildSaveBytes/classic")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(kBuildExtended, extended, &extendedBook)
    ->Name("BuildSaveBytes/extended")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace
