// The Outlook side of the contacts tab at the sizes users have: reading a folder of 10 000
// contacts into common records (start of Outlook, loading the store, the walk through the items)
// and creating 1 000 contacts through SaveRecord, each a new file.
#include "bench/BenchHome.h"
#include "common/outlook/OlAddr.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/ContactCard.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace twinleaf;

using bench::BenchHome;

CommAddrRec contact(int n) {
    CommAddrRec rec{};
    const std::string number = std::to_string(n);
    copyToField(rec.FirstName, "First" + number);
    copyToField(rec.LastName, "Last" + number);
    copyToField(rec.Company, "Company " + number + ", Inc.");
    copyToField(rec.Title, "Buyer");
    copyToField(rec.WorkPhone, "+49 30 " + number);
    copyToField(rec.HomePhone, "+49 30 9" + number);
    copyToField(rec.MobilePhone, "+49 170 " + number);
    copyToField(rec.EMail, "person" + number + "@example.org");
    copyToField(rec.WorkStreet, "Hauptstra\xDF"
                                "e " +
                                    number);
    copyToField(rec.WorkCity, "Berlin");
    copyToField(rec.WorkPostal, "10115");
    copyToField(rec.WorkCountry, "Germany");
    copyToField(rec.Note, "Met at the fair; likes tea.\r\nCall after 10.");
    rec.Birthday = 25000 + n % 5000;
    return rec;
}

// Writes the files of `count` contacts the way the store does, without going through Outlook.
void fillStore(const std::filesystem::path& folder, int count) {
    std::filesystem::create_directories(folder);
    outlook::StoredItem item;
    item.kind = &outlook::contactKind();
    for (int n = 0; n < count; ++n) {
        const CommAddrRec rec = contact(n);
        item.values = outlook::initialValues(outlook::contactKind());
        item.id = "bench" + std::to_string(1000000 + n);
        item.value("EntryID").text = item.id;
        item.value("FirstName").text = rec.FirstName.view();
        item.value("LastName").text = rec.LastName.view();
        item.value("FullName").text = std::string(rec.FirstName) + " " + rec.LastName.c_str();
        item.value("CompanyName").text = "Company " + std::to_string(n) + ", Inc.";
        item.value("JobTitle").text = rec.Title.view();
        item.value("BusinessTelephoneNumber").text = rec.WorkPhone.view();
        item.value("HomeTelephoneNumber").text = rec.HomePhone.view();
        item.value("MobileTelephoneNumber").text = rec.MobilePhone.view();
        item.value("Email1Address").text = rec.EMail.view();
        item.value("BusinessAddressStreet").text = "Hauptstra\xC3\x9F"
                                                   "e " +
                                                   std::to_string(n);
        item.value("BusinessAddressCity").text = rec.WorkCity.view();
        item.value("BusinessAddressPostalCode").text = rec.WorkPostal.view();
        item.value("BusinessAddressCountry").text = rec.WorkCountry.view();
        item.value("Body").text = "Met at the fair; likes tea.\r\nCall after 10.";
        item.value("Birthday").number = rec.Birthday;
        item.value("CreationTime").number = 39000 + n / 86400.0;
        item.value("LastModificationTime").number = 39000 + n / 86400.0;
        std::ofstream(folder / (item.id + ".vcf"), std::ios::binary)
            << outlook::writeContactCard(item);
    }
}

void EnumerateTenThousandContacts(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    fillStore(home.path() / "Outlook" / "Contacts", count);
    for (auto _ : state) {
        OlAddrUtil contacts;
        const bool loaded = contacts.Reload();
        if (!loaded || contacts.GetRecords()->GetCount() != static_cast<std::uint32_t>(count)) {
            state.SkipWithError("the folder did not load");
            break;
        }
        benchmark::DoNotOptimize(contacts.GetRecords()->First());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(EnumerateTenThousandContacts)->Arg(10000)->Unit(benchmark::kMillisecond);

void CreateOneThousandContacts(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    // Each run writes into a store of its own; they are removed together at the end, since
    // deleting thousands of files right before creating new ones slows the file system's
    // allocation down in a way a user's sync never sees.
    BenchHome home;
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        outlook::setStoreFolderOverride(home.path() / ("Outlook" + std::to_string(run++)));
        auto contacts = std::make_unique<OlAddrUtil>();
        contacts->Reload();
        state.ResumeTiming();
        for (int n = 0; n < count; ++n) {
            const CommAddrRec rec = contact(n);
            if (!contacts->SaveRecord(&rec)) {
                state.SkipWithError("a contact was not created");
                break;
            }
        }
        state.PauseTiming();
        contacts.reset(); // lets Outlook go, which flushes the store once
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(CreateOneThousandContacts)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
