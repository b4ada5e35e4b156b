#include "cli/RecordJson.h"

#include "common/misc/CommDate.h"
#include "platform/text/FieldText.h"

#include <gtest/gtest.h>
#include <string>

namespace twinleaf::cli {
namespace {

TEST(RecordJson, SystemTimesAreLocalTimeStringsAndTheRepeatPatternIsTopLevel) {
    CommDateRec rec{};
    copyToField(rec.Description, "Review");
    rec.StartDateTime = win::SYSTEMTIME{2004, 3, 5, 5, 14, 7, 9, 0};
    rec.Repeat.RepeatType = 2;
    rec.Repeat.RepeatDays = 10;
    const std::string json = recordJson(DateFieldLayoutTable(), &rec);
    EXPECT_NE(json.find(R"("StartDateTime": "2004-03-05T14:07:09")"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("RepeatEnd": "0000-00-00T00:00:00")"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("RepeatType": 2, "RepeatHasEnd": 0)"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("RepeatDays": 10)"), std::string::npos) << json;
    EXPECT_EQ(json.find("Start Time"), std::string::npos) << "descriptor-only rows have no key";
}

} // namespace
} // namespace twinleaf::cli
