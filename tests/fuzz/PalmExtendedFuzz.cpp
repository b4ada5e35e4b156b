// Any bytes as each extended kind (address book, date book, to-do list, memo pad): the reader must answer without
// reading outside them, a file it read completely must be written back as it was, and a changed
// and an added record must give a file that reads back whole.
#include "common/palm/PalmAddrEx.h"
#include "common/palm/PalmDateEx.h"
#include "common/palm/PalmMemoEx.h"
#include "common/palm/PalmTodoEx.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

template <class File, class Rec> void roundTrip(const std::uint8_t* data, std::size_t size) {
    File file;
    file.LoadBytes({data, size}, "file.dat");
    if (file.GetLoadResult() != twinleaf::LoadResult::Complete) {
        if (file.IsLoaded() || file.GetRecords()->Count() != 0) {
            std::abort(); // a failed load leaves nothing to use
        }
        return;
    }
    std::vector<std::uint8_t> out;
    if (!file.SaveToBytes(out)) {
        std::abort();
    }
    if (out.size() != size || (size != 0 && std::memcmp(out.data(), data, size) != 0)) {
        // Only a repeat that refers back to an earlier row's class entry is written out in full;
        // what comes out then must read back as the same rows and be written the same again.
        File normal;
        std::vector<std::uint8_t> again;
        if (!normal.LoadBytes(out, "file.dat") ||
            normal.GetRecords()->Count() != file.GetRecords()->Count() ||
            !normal.SaveToBytes(again) || again != out) {
            std::abort();
        }
    }
    if (Rec* first = file.GetRecords()->First()) {
        first->Status |= 0x02;
        first->Private = first->Private == 0 ? 1 : 0;
        FreeBlob(first->Blob2);
        first->Blob2 = twinleaf::BlobValue{65, 0, 0, 0, 0, nullptr};
    }
    Rec added{};
    added.SequenceNo = file.NextSequenceNo();
    added.Blob1.Word0 = 64;
    file.GetRecords()->Add(&added);
    out.clear();
    if (file.SaveToBytes(out)) {
        File again;
        again.LoadBytes(out, "file.dat");
        if (again.GetLoadResult() != twinleaf::LoadResult::Complete ||
            again.GetRecords()->Count() != file.GetRecords()->Count()) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    roundTrip<twinleaf::PmAddrExUtil, twinleaf::PmAddrExRec>(data, size);
    roundTrip<twinleaf::PmDateExUtil, twinleaf::PmDateExRec>(data, size);
    roundTrip<twinleaf::PmTodoExUtil, twinleaf::PmTodoExRec>(data, size);
    roundTrip<twinleaf::PmMemoExUtil, twinleaf::PmMemoExRec>(data, size);
    return 0;
}
