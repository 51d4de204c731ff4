// The adapter table built from what the device layer reports, the depth
// format choice, and the card settings file.
#include <cstdio>

#include "graphics_fixture.h"

using namespace platform;

namespace {

class AdaptersTest : public GraphicsTest {
protected:
    // Pre-initialises on the given adapters.
    int PreInit(const std::vector<NullGfxAdapter>& adapters, int depthClass = -1, int adapterIndex = 0)
    {
        NullGfxConfig config;
        config.adapters = adapters;
        SetNullGfxConfig(config);
        return PreInitDirect3D(1, depthClass, 0, 0, adapterIndex);
    }
    static NullGfxAdapter Adapter(std::vector<GfxDisplayMode> modes)
    {
        NullGfxAdapter adapter = DefaultNullGfxConfig().adapters[0];
        adapter.modes = std::move(modes);
        return adapter;
    }
};

} // namespace

TEST_F(AdaptersTest, ModesAreFilteredTwinnedAndSorted)
{
    ASSERT_EQ(PreInit({Adapter({{1024, 768, 75, FmtX8R8G8B8},
                                {1024, 768, 60, FmtX8R8G8B8},
                                {1024, 768, 60, FmtX8R8G8B8}, // repeated
                                {800, 600, 0, FmtR5G6B5},
                                {3072, 768, 60, FmtX8R8G8B8},
                                {1280, 1024, 60, FmtA4R4G4B4}, // a format the screen cannot show
                                {1280, 800, 60, FmtX8R8G8B8},
                                {600, 800, 60, FmtX8R8G8B8}})}), // narrower than 640
              0);
    const AdapterRecord* adapter = GetCurrentAdapter();
    struct Expected {
        uint32_t width, height, format;
        uint8_t refresh, aspect, sixteen;
    };
    const Expected expected[] = {
        {800, 600, FmtR5G6B5, 0, 0, 1},      {1024, 768, FmtX8R8G8B8, 0, 0, 0},
        {1024, 768, FmtX8R8G8B8, 60, 0, 0},  {1024, 768, FmtX8R8G8B8, 75, 0, 0},
        {1280, 800, FmtX8R8G8B8, 0, 2, 0},   {1280, 800, FmtX8R8G8B8, 60, 2, 0},
        {3072, 768, FmtX8R8G8B8, 0, 1, 0},   {3072, 768, FmtX8R8G8B8, 60, 1, 0},
    };
    ASSERT_EQ(adapter->modeCount, 8);
    for (int i = 0; i < 8; ++i) {
        const DisplayModeRecord& mode = adapter->modes[i];
        EXPECT_EQ(mode.width, expected[i].width) << i;
        EXPECT_EQ(mode.height, expected[i].height) << i;
        EXPECT_EQ(mode.format, expected[i].format) << i;
        EXPECT_EQ(mode.refreshRate, expected[i].refresh) << i;
        EXPECT_EQ(mode.aspectClass, expected[i].aspect) << i;
        EXPECT_EQ(mode.sixteenBit, expected[i].sixteen) << i;
        EXPECT_EQ(mode.behaviourFlags, static_cast<uint32_t>(CreateMixedVertexProcessing));
        EXPECT_EQ(mode.depthFormat, static_cast<uint32_t>(FmtD24X8));
    }
    EXPECT_EQ(adapter->canRenderWindowed, 1);
    EXPECT_STREQ(adapter->description, "Quorvan null device");
    std::string log = folder.ReadFile("deb.log");
    EXPECT_NE(log.find("number of adapters : 1"), std::string::npos);
    EXPECT_NE(log.find("adapter 0 - valid modes : 8"), std::string::npos);
}

TEST_F(AdaptersTest, AdaptersWithoutModesGetNoRecordAndTheIndexFallsBack)
{
    NullGfxAdapter small = Adapter({{640, 400, 60, FmtX8R8G8B8}});
    NullGfxAdapter good = Adapter({{800, 600, 60, FmtX8R8G8B8}});
    good.description = "second";
    NullGfxAdapter third = good;
    third.description = "third";
    ASSERT_EQ(PreInit({small, good, third}, -1, 5), 0);
    EXPECT_EQ(AdapterTable.count, 2);
    EXPECT_EQ(AdapterTable.chosen, 0);
    EXPECT_STREQ(GetCurrentAdapter()->description, "second");
    EXPECT_EQ(GetCurrentAdapter()->ordinal, 1u);
    EXPECT_EQ(AdapterTable.adapters[1].ordinal, 2u);
    std::string log = folder.ReadFile("deb.log");
    EXPECT_NE(log.find("adapter 0 : no valid modes"), std::string::npos);
    EXPECT_NE(log.find("using adapter : 0"), std::string::npos);
    ResetGraphicsTables();
    EXPECT_EQ(PreInit({small}), -2);
}

TEST_F(AdaptersTest, DepthClassFollowsVertexProcessingAndTheFormatsOnOffer)
{
    struct Case {
        bool hardware;
        int requestedClass;
        std::vector<uint32_t> depthFormats;
        int settled;
        uint32_t format;
    };
    const Case cases[] = {
        {true, -1, {FmtD16, FmtD24S8, FmtD32}, 2, FmtD24S8},
        {false, -1, {FmtD16, FmtD24S8, FmtD32}, 1, FmtD16},
        {true, 3, {FmtD16, FmtD24X8, FmtD32}, 3, FmtD32},
        {true, 0, {FmtD16, FmtD32}, 1, FmtD16},
        {true, 2, {FmtD15S1}, 0, FmtD15S1},
    };
    for (const Case& c : cases) {
        ResetGraphicsTables();
        NullGfxAdapter adapter = Adapter({{800, 600, 60, FmtX8R8G8B8}});
        adapter.depthFormats = c.depthFormats;
        if (!c.hardware)
            adapter.caps.devCaps = 0;
        ASSERT_EQ(PreInit({adapter}, c.requestedClass), 0);
        EXPECT_EQ(SettledDepthClass(), c.settled);
        EXPECT_EQ(GetCurrentAdapter()->modes[0].depthFormat, c.format);
        EXPECT_EQ(HardwareVertexProcessingInUse(), c.hardware);
        EXPECT_EQ(GetCurrentAdapter()->modes[0].behaviourFlags,
                  c.hardware ? static_cast<uint32_t>(CreateMixedVertexProcessing)
                             : static_cast<uint32_t>(CreateSoftwareVertexProcessing));
        for (uint32_t format : c.depthFormats) {
            int depthClass = format == FmtD15S1 ? 0 : format == FmtD16 ? 1 : format == FmtD32 ? 3 : 2;
            EXPECT_TRUE(Gfx.depthClassAvailable[depthClass]);
        }
    }
    // No depth format at all: the mode is not usable.
    ResetGraphicsTables();
    NullGfxAdapter none = Adapter({{800, 600, 60, FmtX8R8G8B8}});
    none.depthFormats.clear();
    EXPECT_EQ(PreInit({none}), -2);
}

TEST_F(AdaptersTest, CardSettingsReadClampedAndWrittenBack)
{
    folder.WriteFile("card_cfg.txt", "Adapter Select -2\r\nAdapter Name Some Card 9000\r\n"
                                     "ZBD Select 7\r\nSimple Track 1\r\n");
    MutableCardSettings.carFlag = 1;
    LoadCardConfig();
    EXPECT_EQ(CardSettings.adapterIndex, 0);
    EXPECT_EQ(CardSettings.depthClass, 3);
    EXPECT_EQ(CardSettings.simpleTrack, 1);
    EXPECT_EQ(CardSettings.carFlag, 0);

    ASSERT_EQ(PreInitDirect3D(1, -1, 0, 0, CardSettings.adapterIndex), 0);
    MutableCardSettings.depthClass = SettledDepthClass();
    ASSERT_EQ(SaveCardConfig(), 1);
    EXPECT_EQ(folder.ReadFile("card_cfg.txt"),
              "Adapter Select 0\r\nAdapter Name Quorvan null device\r\nZBD Select 2\r\nSimple Track 1\r\n");

    // Keys in any order, unknown lines passed over, a missing file keeps defaults.
    folder.WriteFile("card_cfg.txt", "junk\nSimple Track 9\nAdapter Select 3\n");
    LoadCardConfig();
    EXPECT_EQ(CardSettings.simpleTrack, 2);
    EXPECT_EQ(CardSettings.adapterIndex, 3);
    EXPECT_EQ(CardSettings.depthClass, -1);
    std::remove("card_cfg.txt");
    MutableCardSettings.simpleTrack = 2;
    LoadCardConfig();
    EXPECT_EQ(CardSettings.simpleTrack, 0);
}
