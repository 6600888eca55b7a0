// A control created in-process on one simulated card, with the card's messages recorded
// instead of shown. Every test ends with nothing left: no object, card, thread or window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card_message.h"
#include "com_ptr.h"
#include "com_test_support.h"
#include "interrupt_thread.h"
#include "ole_module.h"
#include "sim_service.h"
#include "vorn_305q_app.h"
#include "vorn_305q_ctrl.h"
#include "vorn_dialog.h"

namespace controltest {

enum : DISPID {
    kInitCard = 1,
    kCloseCard = 2,
    kRunState = 6,
    kGetPosition = 7,
    kSetPosition = 8,
    kSVMove = 29,
    kStartTRMove = 30,
    kManuMove2 = 49,
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(m_apartment.hr));
        COleControlModule::SetInstance(GetModuleHandleW(nullptr));  // resources of this program
        vornsim::Install(vornsim::DefaultProfile(1));
        SetCardMessageSink(
            [](const char* text, void* self) {
                static_cast<ControlTest*>(self)->m_messages.push_back(text);
            },
            this);
        ASSERT_EQ(CVorn_305qCtrl::CreateInstance(IID_IDispatch, m_control.PutVoid()), S_OK);
    }
    void TearDown() override {
        m_control.Reset();
        EXPECT_EQ(COleControlModule::Objects(), 0) << "an object leaked";
        EXPECT_EQ(InterruptThreadsAlive(), 0);
        EXPECT_EQ(CVorn_305qCtrl::OpenCards(), 0);
        EXPECT_EQ(CVornDialog::LiveWindows(), 0);
        const vornsim::Counters counters = vornsim::GetCounters();
        EXPECT_EQ(counters.registrations + counters.enabledInterrupts + counters.openHandles, 0);
        EXPECT_TRUE(theApp.CanUnloadNow());
        SetCardMessageSink(nullptr, nullptr);
        vornsim::Uninstall();
    }

    // A call that must succeed; its result as long (0 for none).
    long Must(DISPID id, comtest::Args&& args) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(comtest::Call(m_control.Get(), id, args, &result), S_OK) << "dispid " << id;
        const long value = V_VT(&result) == VT_I2   ? V_I2(&result)
                           : V_VT(&result) == VT_I4 ? V_I4(&result)
                                                    : 0;
        VariantClear(&result);
        return value;
    }
    void OpenCard() {
        ASSERT_EQ(Must(kInitCard, comtest::Args{comtest::I2(0)}), 0);
        m_messages.clear();
    }
    static long ChipAccesses() { return vornsim::GetCounters().chipAccesses; }

    comtest::Apartment m_apartment;
    CComRef<IDispatch> m_control;
    std::vector<std::string> m_messages;
};

}  // namespace controltest
