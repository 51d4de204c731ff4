// The real program and data builder, run as separate processes.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

TEST(ProgramTest, BuilderMakesTheDataFolderAndTheProgramLogsItsVersion)
{
    TempFolder folder;
    ProcessResult built = RunProcess(QV_MKDATA, {folder.Path()}, folder.Path());
    ASSERT_EQ(built.exitCode, 0) << built.output;
    ProcessResult run = RunProcess(QV_PROGRAM, {}, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(folder.ReadFile("deb.log").substr(0, 12), "QVN : 0.5Z\r\n");
}
