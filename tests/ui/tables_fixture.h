// A test that starts and ends with the core's and the interface's tables at
// their start-up state, in a temporary folder of its own (the debug log and
// the settings files go there).
#pragma once

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "ui/local.h"

class UiTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        ResetUiTables();
    }
    void TearDown() override
    {
        ResetUiTables();
        ResetCoreTables();
    }
    TempFolder folder;
};
