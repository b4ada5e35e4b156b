// How long a list view of the main window takes to fill with ten thousand records and show them:
// the rows are added in one update bracket, the first row is selected, and the view is laid out
// and painted once.
#include "src/RecordListView.h"

#include <QApplication>
#include <QPixmap>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string texts[8];
    int status;
};

std::vector<Row> makeRows(int count) {
    std::vector<Row> rows(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
        Row& row = rows[static_cast<std::size_t>(index)];
        const std::string number = std::to_string(index);
        row.texts[0] = "First" + number;
        row.texts[1] = "Last" + number;
        row.texts[2] = "person" + number + "@example.org";
        row.texts[3] = "+49 30 " + number;
        row.texts[4] = "+49 40 " + number;
        row.texts[5] = "+49 170 " + number;
        row.texts[6] = "Company " + number;
        row.texts[7] = "Title";
        row.status = index % 3;
    }
    return rows;
}

void FillTenThousandRows(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<Row> rows = makeRows(count);
    twinleaf::RecordListView view;
    view.setColumns({{"First Name", 80, 0},
                     {"Last Name", 80, 1},
                     {"Email", 100, 2},
                     {"Business Phone", 100, 3},
                     {"Home Phone", 80, 4},
                     {"Mobile Phone", 80, 5},
                     {"Company", 80, 6},
                     {"Title", 80, 7}});
    view.records()->setTextFunction([](const void* record, int field) {
        return QString::fromStdString(static_cast<const Row*>(record)->texts[field]);
    });
    view.records()->setStatusFunction(
        [](const void* record) { return static_cast<const Row*>(record)->status; });
    view.resize(760, 420);
    view.show();
    for (auto _ : state) {
        twinleaf::RecordListModel* model = view.records();
        model->beginUpdate();
        model->clear();
        for (Row& row : rows) {
            model->addRow(&row);
        }
        model->endUpdate();
        view.selectRow(0);
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.viewport()->grab());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(FillTenThousandRows)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
