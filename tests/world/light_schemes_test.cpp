// The world's light schemes as the race setup names and switches them: the
// name is the scheme's weather and time of day in the language's order, a
// scheme the world lacks gives none, and only a real change of scheme
// rebuilds what is drawn.
#include <gtest/gtest.h>

#include <cstring>

#include "world/local.h"

namespace {

int Rebuilds = 0;

class LightSchemesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWorldTables();
        Rebuilds = 0;
        WorldDrawHooks draw = GetWorldDrawHooks();
        draw.rebuildLightScheme = [] { Rebuilds++; };
        SetWorldDrawHooks(draw);
        ConstructWorld(world);
        // Day clear, sunset cloudy, night overcast, and a byte pair no
        // table has.
        const uint8_t kinds[][2] = {{3, 0}, {5, 1}, {7, 2}, {9, 4}};
        for (const auto& kind : kinds) {
            LightScheme scheme;
            scheme.timeOfDay = kind[0];
            scheme.weather = kind[1];
            world.schemes.push_back(scheme);
        }
    }
    void TearDown() override
    {
        FreeWorld(world);
        ResetWorldTables();
    }
    World world;
};

} // namespace

TEST_F(LightSchemesTest, NamesAreWeatherThenTimeOfDay)
{
    const struct {
        int index;
        const char* name;
    } cases[] = {{0, "Clear Day"}, {1, "Cloudy Sunset"}, {2, "Overcast Night"}, {3, " "}};
    for (const auto& c : cases) {
        char buffer[LightSchemeNameSize];
        EXPECT_STREQ(FormatLightSchemeName(world, buffer, c.index), c.name) << "scheme " << c.index;
    }
}

TEST_F(LightSchemesTest, SchemeTheWorldLacksClearsTheBuffer)
{
    for (int index : {-1, 4}) {
        char buffer[LightSchemeNameSize];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(FormatLightSchemeName(world, buffer, index), nullptr);
        for (char c : buffer)
            ASSERT_EQ(c, 0) << "scheme " << index;
    }
}

// The index is kept within the schemes; selecting the scheme already
// selected rebuilds nothing.
TEST_F(LightSchemesTest, SelectionKeepsWithinTheSchemesAndRebuildsOnChangeOnly)
{
    const struct {
        int asked, selected, rebuilds;
    } steps[] = {{0, 0, 0}, {2, 2, 1}, {9, 3, 2}, {3, 3, 2}, {-5, 0, 3}};
    for (const auto& s : steps) {
        SelectLightScheme(world, s.asked);
        EXPECT_EQ(world.lightScheme, s.selected) << "asked " << s.asked;
        EXPECT_EQ(Rebuilds, s.rebuilds) << "asked " << s.asked;
    }
}
