#include "common/outlook/DispCmd.h"

#include "platform/com/DispatchObject.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace twinleaf {
namespace {

using namespace win;

// An object whose properties hold whatever variant was put last, and which counts the puts.
class PropertyBag final : public DispatchObject {
public:
    PropertyBag() {
        for (const char16_t* name : {u"Text", u"Number", u"Flag", u"When", u"Empty", u"Child"}) {
            m_members.add(name, static_cast<DISPID>(m_values.size() + 1));
            VARIANT empty;
            VariantInit(&empty);
            m_values.push_back(empty);
        }
    }
    ~PropertyBag() override {
        for (VARIANT& value : m_values) {
            VariantClear(&value);
        }
    }
    VARIANT& value(DISPID id) { return m_values[static_cast<std::size_t>(id - 1)]; }
    int puts = 0;

protected:
    DISPID memberId(std::u16string_view name) const override { return m_members.find(name); }
    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        if (isPropertyGet(flags, params)) {
            return result != nullptr ? VariantCopy(result, &value(member)) : S_OK;
        }
        const VARIANT* put = nullptr;
        const HRESULT hr = propertyPutValue(flags, params, &put);
        if (SUCCEEDED(hr)) {
            ++puts;
            VariantCopy(&value(member), put);
        }
        return hr;
    }

private:
    MemberTable m_members;
    std::vector<VARIANT> m_values;
};

// The ids the bag gives its members, in the order it adds them (2 is a number no test reads).
constexpr DISPID kText = 1, kFlag = 3, kWhen = 4, kChild = 6;

class DispCmdTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_bag = new PropertyBag;
        m_cmd = std::make_unique<CDispCmd>(m_bag);
    }
    void TearDown() override {
        m_cmd.reset();
        EXPECT_EQ(m_bag->Release(), 0u); // CDispCmd gave back the reference it took
    }
    PropertyBag* m_bag = nullptr;
    std::unique_ptr<CDispCmd> m_cmd;
};

TEST_F(DispCmdTest, WritersSkipEmptyTextsAndZeroDates) {
    EXPECT_EQ(m_cmd->PutText(u"Text", ""), S_OK);
    EXPECT_EQ(m_cmd->PutText(u"Text", nullptr), S_OK);
    EXPECT_EQ(m_cmd->PutDate(u"When", 0.0), S_OK);
    EXPECT_EQ(m_cmd->PutDate(u"When", 0.000001), S_OK);
    EXPECT_EQ(m_bag->puts, 0);
    EXPECT_EQ(m_cmd->PutDate(u"When", -0.5), S_OK);
    EXPECT_EQ(m_bag->value(kWhen).date, -0.5);
    EXPECT_EQ(m_cmd->PutBool(u"Flag", 1), S_OK);
    EXPECT_EQ(m_bag->value(kFlag).vt, VT_BOOL);
    EXPECT_EQ(m_bag->value(kFlag).boolVal, 1); // the byte itself, not VARIANT_TRUE
    EXPECT_EQ(m_cmd->PutText(u"Text", "Stra\xDF"
                                      "e"),
              S_OK);
    EXPECT_EQ(bstrView(m_bag->value(kText).bstrVal), u"Stra\u00dfe");
    EXPECT_EQ(m_cmd->PutLong(u"Number", 0), S_OK); // numbers are sent even when zero
    EXPECT_EQ(m_bag->puts, 4);
    EXPECT_EQ(m_cmd->PutText(u"Unknown", "x"), DISP_E_UNKNOWNNAME);
}

TEST_F(DispCmdTest, LongTextsAreSentWhole) {
    const std::string text(5000, 'x');
    EXPECT_EQ(m_cmd->PutText(u"Text", text.c_str()), S_OK);
    EXPECT_EQ(SysStringLen(m_bag->value(kText).bstrVal), 5000u);
}

// A reader given an id looked up before reads and checks as one given the name does.
TEST_F(DispCmdTest, ReadersTakeAMemberIdLookedUpBefore) {
    m_cmd->PutLong(u"Number", 7);
    DISPID id = 0;
    EXPECT_EQ(m_cmd->GetMemberId(u"number", &id), S_OK);
    LONG number = -1;
    EXPECT_EQ(m_cmd->GetLong(id, &number), S_OK);
    EXPECT_EQ(number, 7);
    char buffer[8] = "kept";
    EXPECT_EQ(m_cmd->GetText(id, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "kept");
    EXPECT_EQ(m_cmd->GetMemberId(u"Missing", &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(DispCmdTest, ReadersCheckTheTypeAndLeaveTheOutputOtherwise) {
    m_cmd->PutText(u"Text", "abcdefghijklmnopqrstuvwxyz0123456789ABCD"); // 40 characters
    m_cmd->PutLong(u"Number", 7);
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(m_cmd->GetText(u"Text", buffer, sizeof buffer), S_OK);
    EXPECT_STREQ(buffer, "abcdefghijklmnopqrstuvwxyz01234");

    std::strcpy(buffer, "unchanged");
    EXPECT_EQ(m_cmd->GetText(u"Number", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_EQ(m_cmd->GetText(u"Missing", buffer, sizeof buffer), DISP_E_UNKNOWNNAME);
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_EQ(m_cmd->GetText(u"Text", nullptr, 10), 1);

    LONG number = -1;
    EXPECT_EQ(m_cmd->GetLong(u"Text", &number), 1);
    EXPECT_EQ(number, -1);
    EXPECT_EQ(m_cmd->GetLong(u"Number", &number), S_OK);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(m_cmd->GetLong(u"Number", nullptr), 1);

    BYTE flag = 9;
    m_bag->value(kFlag).vt = VT_BOOL;
    m_bag->value(kFlag).boolVal = VARIANT_TRUE;
    EXPECT_EQ(m_cmd->GetBool(u"Flag", &flag), S_OK);
    EXPECT_EQ(flag, 1);
    double date = 3.0;
    EXPECT_EQ(m_cmd->GetDate(u"Flag", &date), 1);
    EXPECT_EQ(date, 3.0);

    IDispatch* child = m_bag; // anything but null, to see it cleared
    EXPECT_EQ(m_cmd->GetObject(u"Empty", &child), 1);
    EXPECT_EQ(child, nullptr);
    m_bag->value(kChild).vt = VT_DISPATCH;
    m_bag->value(kChild).pdispVal = new PropertyBag;
    ASSERT_EQ(m_cmd->GetObject(u"Child", &child), S_OK);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Release(), 1u); // the bag still holds its own reference
}

TEST(DispCmd, EveryCallOnANullObjectFailsWithInvalidArgument) {
    CDispCmd none(nullptr);
    char buffer[8] = "x";
    LONG number = 0;
    IDispatch* object = nullptr;
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(none.GetText(u"Text", buffer, sizeof buffer), E_INVALIDARG);
    EXPECT_EQ(none.GetLong(u"Number", &number), E_INVALIDARG);
    EXPECT_EQ(none.GetObject(u"Child", &object), E_INVALIDARG);
    EXPECT_EQ(none.PutText(u"Text", "x"), E_INVALIDARG);
    EXPECT_EQ(none.PutLong(u"Number", 1), E_INVALIDARG);
    EXPECT_EQ(none.PutDate(u"When", 1.0), E_INVALIDARG);
    EXPECT_EQ(none.CallMethod(u"Save", nullptr, 0, &result), E_INVALIDARG);
    EXPECT_EQ(none.GetDispatch(), nullptr);
}

} // namespace
} // namespace twinleaf
