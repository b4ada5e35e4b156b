#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf::win {
namespace {

TEST(MessageBox, WithoutAHandlerPrintsAndAnswersWhatChangesNothing) {
    struct Case {
        const char* name;
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {"message", MB_OK | MB_ICONERROR, IDOK},
        {"yes or no", MB_YESNO | MB_ICONQUESTION, IDNO},
        {"yes, no or cancel", MB_YESNOCANCEL, IDCANCEL},
        {"ok or cancel", MB_OKCANCEL | MB_ICONWARNING, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxA(nullptr, "M\xFCller not found.", "Error", c.type), c.answer);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: M\u00FCller not found.\n");
    }
}

TEST(MessageBox, AScopedHandlerAnswersAndThePreviousOneComesBack) {
    std::vector<std::string> outer;
    ScopedMessageBoxHandler first([&](HWND, const char* text, const char*, UINT) {
        outer.emplace_back(text);
        return IDOK;
    });
    {
        std::vector<std::string> seen;
        ScopedMessageBoxHandler second([&](HWND, const char* text, const char* caption, UINT type) {
            seen.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
            return IDYES;
        });
        EXPECT_EQ(MessageBoxA(nullptr, "Sure?", "Question", MB_YESNO | MB_ICONQUESTION), IDYES);
        EXPECT_EQ(seen, std::vector<std::string>{"Question|Sure?|36"});
    }
    EXPECT_EQ(MessageBoxA(nullptr, "Done.", "Information", MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(outer, std::vector<std::string>{"Done."});
}

} // namespace
} // namespace twinleaf::win
