// The world's reset: every record it owns is back at its start-up state,
// whatever the fields held before.
#include <gtest/gtest.h>

#include "support/dirty_record.h"
#include "world/local.h"

namespace {

void CountMessage(const char*, int) {}

TEST(WorldResetTest, ResetGivesBackEveryRecordAtItsDefaults)
{
    ResetWorldTables();
    const WorldMessageHooks least = GetWorldMessageHooks();

    DirtyRecord(MutableLoadedWorld);
    DirtyRecord(MutableWorldRun);
    MutableHumans.loaded = 1;
    MutableHumans.sets.resize(2);
    MutableHumans.built.resize(2);
    MutableHumans.models.resize(1);
    MutableHumans.variants.resize(3);
    SetWorldMessageHooks({CountMessage, nullptr});
    ASSERT_NE(MutableLoadedWorld, LoadedWorldRecord{});
    ASSERT_NE(MutableWorldRun, WorldRunRecord{});

    ResetWorldTables();

    EXPECT_EQ(MutableLoadedWorld, LoadedWorldRecord{});
    EXPECT_EQ(CurrentWorld, nullptr);
    EXPECT_EQ(MutableWorldRun, WorldRunRecord{});
    EXPECT_EQ(SubMeshCounter(), 0);
    EXPECT_EQ(Humans.loaded, 0);
    EXPECT_TRUE(Humans.sets.empty());
    EXPECT_TRUE(Humans.built.empty());
    EXPECT_TRUE(Humans.models.empty());
    EXPECT_TRUE(Humans.variants.empty());
    EXPECT_EQ(GetWorldMessageHooks().printMessage, least.printMessage);
}

} // namespace
