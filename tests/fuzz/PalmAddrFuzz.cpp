// Any bytes as a classic address book: the reader must answer without reading outside them, and a
// file it read completely must be written back exactly as it was.
#include "common/palm/PalmAddr.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool swap : {false, true}) {
        twinleaf::PmAddrUtil file;
        file.SetSwapName(swap);
        file.LoadBytes({data, size}, "address.dat");
        if (file.GetLoadResult() != twinleaf::LoadResult::Complete) {
            continue;
        }
        std::vector<std::uint8_t> out;
        if (!file.SaveToBytes(out) || out.size() != size ||
            (size != 0 && std::memcmp(out.data(), data, size) != 0)) {
            std::abort();
        }
        // A changed record and a new one must still give a file that reads back whole.
        if (twinleaf::PmAddrRec* first = file.GetRecords()->First()) {
            first->Status |= 0x02;
            twinleaf::copyToField(first->Title, "changed");
        }
        twinleaf::PmAddrRec added{};
        twinleaf::copyToField(added.LastName, "New");
        file.GetRecords()->Add(&added);
        out.clear();
        if (file.SaveToBytes(out)) {
            twinleaf::PmAddrUtil again;
            again.SetSwapName(swap);
            again.LoadBytes(out, "address.dat");
            if (again.GetLoadResult() != twinleaf::LoadResult::Complete ||
                again.GetRecords()->Count() != file.GetRecords()->Count()) {
                std::abort();
            }
        }
    }
    return 0;
}
