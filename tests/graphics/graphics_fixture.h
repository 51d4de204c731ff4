// A fixture for the graphics tests: a temporary current folder, fresh
// tables, the manual clock and the null device, and helpers to read what
// the device was sent.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/services.h"
#include "graphics/local.h"
#include "graphics/services.h"
#include "platform/clock.h"
#include "platform/gfx_null.h"
#include "support/temp_folder.h"

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UseManualClock();
        platform::ResetNullGfx();
        ResetCoreTables();
        ResetGraphicsTables();
    }
    void TearDown() override
    {
        ResetGraphicsTables();
        platform::ResetNullGfx();
        platform::UseRealClock();
    }

    // Pre-initialises and creates the device (fog as given), then starts
    // recording from a clean call list.
    void CreateDevice(int fog = 0)
    {
        ASSERT_EQ(PreInitDirect3D(1, -1, fog, 0, 0), 0);
        ASSERT_EQ(CreateRenderDevice(nullptr, 0, -1), 0);
        platform::NullGfxRecord(true);
        platform::NullGfxClearCalls();
    }

    static const platform::NullGfxState& DeviceState() { return platform::NullGfxCurrentState(); }

    // Every recorded call described, from the first of the given kind on.
    static std::vector<std::string> Described(platform::GfxCallKind kind)
    {
        return platform::NullGfxDescribeAll(kind);
    }
    static std::vector<const platform::GfxCall*> Calls(platform::GfxCallKind kind)
    {
        std::vector<const platform::GfxCall*> out;
        for (const platform::GfxCall& call : platform::NullGfxCalls())
            if (call.kind == kind)
                out.push_back(&call);
        return out;
    }
    static int Count(platform::GfxCallKind kind) { return static_cast<int>(Calls(kind).size()); }

    TempFolder folder;
};
