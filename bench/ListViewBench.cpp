// How long the main window takes to show ten thousand contacts in one list view: the rows are
// handed over as the sync controller hands them, the first row is selected, and the view is laid
// out and painted once.
#include "common/misc/CommAddr.h"
#include "common/sync/KindSides.h"
#include "platform/outlook/OutlookApplication.h"
#include "platform/text/FieldText.h"
#include "src/main.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<twinleaf::CommAddrRec> makeContacts(int count) {
    std::vector<twinleaf::CommAddrRec> contacts(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        twinleaf::CommAddrRec& contact = contacts[static_cast<std::size_t>(index)];
        const std::string number = std::to_string(index);
        twinleaf::copyToField(contact.FirstName, "First" + number);
        twinleaf::copyToField(contact.LastName, "Last" + number);
        twinleaf::copyToField(contact.EMail, "person" + number + "@example.org");
        twinleaf::copyToField(contact.WorkPhone, "+49 30 " + number);
        twinleaf::copyToField(contact.HomePhone, "+49 40 " + number);
        twinleaf::copyToField(contact.MobilePhone, "+49 170 " + number);
        twinleaf::copyToField(contact.Company, "Company " + number);
        twinleaf::copyToField(contact.Title, "Title");
        contact.CompareStatus = index % 3;
    }
    return contacts;
}

void FillContactsView(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<twinleaf::CommAddrRec> contacts = makeContacts(count);
    std::vector<void*> rows;
    for (twinleaf::CommAddrRec& contact : contacts) {
        rows.push_back(&contact);
    }
    twinleaf::TfmMain window([](twinleaf::DataKind, const twinleaf::OptionBlock&) {
        return std::make_unique<twinleaf::EmptySides>();
    });
    window.show();
    QApplication::processEvents();
    twinleaf::RecordListView* view =
        window.view(twinleaf::DataKind::Addr, twinleaf::ViewSide::Palm);
    for (auto _ : state) {
        window.setRows(twinleaf::DataKind::Addr, twinleaf::ViewSide::Palm, rows);
        QApplication::processEvents();
        benchmark::DoNotOptimize(view->viewport()->grab());
    }
    window.setRows(twinleaf::DataKind::Addr, twinleaf::ViewSide::Palm, {});
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(FillContactsView)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    twinleaf::outlook::registerOutlookApplication();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
