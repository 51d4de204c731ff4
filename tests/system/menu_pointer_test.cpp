// The main menu of the real program in a virtual X display, driven with
// xdotool: a held row is drawn pressed only while the pointer stays on it,
// the wheel and a release elsewhere do nothing, Esc asks whether to quit,
// "no" and the N key keep the program running and "yes" ends it. Each state
// is saved with the program's own screenshot key and checked by its pixels.
// Each screenshot also prints its file name as a message line: the lines
// show at the top left, one under another, and retire after six seconds.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_folder.h"
#include "game_folder_fixture.h"
#include "window_session.h"

namespace {

namespace fs = std::filesystem;

// A 24-bit uncompressed BMP as the screenshot key writes it.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bytes;
    int rowBytes = 0, offset = 0;
    bool bottomUp = true;

    static uint32_t Word(const std::vector<uint8_t>& b, size_t at, int size)
    {
        uint32_t v = 0;
        for (int i = size - 1; i >= 0; --i)
            v = v << 8 | b[at + size_t(i)];
        return v;
    }
    bool Load(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), {});
        if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || Word(bytes, 28, 2) != 24)
            return false;
        offset = static_cast<int>(Word(bytes, 10, 4));
        width = static_cast<int>(Word(bytes, 18, 4));
        const int32_t h = static_cast<int32_t>(Word(bytes, 22, 4));
        bottomUp = h > 0;
        height = h > 0 ? h : -h;
        rowBytes = (width * 3 + 3) / 4 * 4;
        return bytes.size() >= size_t(offset) + size_t(rowBytes) * size_t(height);
    }
    // The colours of every pixel in a rectangle of screen units.
    std::vector<int> Region(float x1, float y1, float x2, float y2) const
    {
        std::vector<int> colours;
        for (float y = y1; y < y2; y += 2.0f / static_cast<float>(height))
            for (float x = x1; x < x2; x += 2.0f / static_cast<float>(width)) {
                const std::vector<int> colour = At(x, y);
                colours.insert(colours.end(), colour.begin(), colour.end());
            }
        return colours;
    }
    // The colour under screen units x, y (-1..1, y downwards).
    std::vector<int> At(float x, float y) const
    {
        const int px = static_cast<int>((x + 1) / 2 * static_cast<float>(width));
        const int py = static_cast<int>((y + 1) / 2 * static_cast<float>(height));
        const int row = bottomUp ? height - 1 - py : py;
        const size_t at = size_t(offset) + size_t(row) * size_t(rowBytes) + size_t(px) * 3;
        return {bytes[at + 2], bytes[at + 1], bytes[at]};
    }
};

// Places the checks look at, in screen units: the middle of the box of the
// first and the sixth menu row (left of their captions) and the message
// dialog's panel between its text and its buttons. The script points at
// the first row and at the dialog's "no" (-0.25, -0.25) and "yes" (0.25,
// -0.25) buttons.
constexpr float RowX = -0.7f, FirstRowY = -0.07f, SixthRowY = 0.23f;
constexpr float PanelX = 0.0f, PanelY = -0.33f;
// The message lines run down from the top of the screen, 0.04 high (the
// default message size), their dark band starting at the left edge.
constexpr float MessageTop = -1.0f, MessageHeight = 0.04f;

// Runs in the virtual display. "at X Y" moves the pointer to screen units
// over the window; "shot" saves the next screenshot (Ctrl+S).
const std::string MenuSessionScript = std::string(WindowSessionStart) + R"SH(at() {
  xdotool mousemove --window "$window" "$(pixel "$1" "$WIDTH")" "$(pixel "$2" "$HEIGHT")"
  sleep 0.3
}
shot() { xdotool key --window "$window" ctrl+s; sleep 0.6; }
running() { kill -0 $pid 2>/dev/null && echo "$1 running" >> session.txt; }
sleep 1
at 0.5 0.5; shot                                   # 1 idle
at -0.7 -0.07; xdotool mousedown 1; sleep 0.4; shot  # 2 the first row held
at 0.5 0.5; shot                                   # 3 held, pointer off the row
xdotool mouseup 1; sleep 0.3
at -0.7 -0.07; xdotool click 4; xdotool click 5; sleep 0.3; shot   # 4 after the wheel
running wheel
xdotool key --window "$window" Escape; sleep 0.5; shot            # 5 the quit question
at -0.25 -0.25; xdotool click 1; sleep 0.5; shot                   # 6 after "no"
running no
xdotool key --window "$window" Escape; sleep 0.5
xdotool key --window "$window" n; sleep 0.5; shot                  # 7 after N
running n
sleep 4.5; shot                  # 8 the line of 7 is still shown
sleep 2; shot                    # 9 only the line of 8 is left
xdotool key --window "$window" Escape; sleep 0.5
at 0.25 -0.25; xdotool click 1
wait $pid
echo "exit=$?" >> session.txt
)SH";

class MenuPointerTest : public GameFolderTest {
protected:
    Picture Shot(int n)
    {
        char name[64];
        std::snprintf(name, sizeof name, "/data/shots/qvn_%.8d.bmp", n);
        Picture picture;
        EXPECT_TRUE(picture.Load(folder.Path() + name)) << name;
        return picture;
    }
};

TEST_F(MenuPointerTest, MenuRowsAndTheQuitQuestionAnswerThePointerAndTheKeys)
{
    std::string session;
    ASSERT_EQ(RunWindowSession(folder, "Start Windowed 1\r\n", MenuSessionScript, QV_PROGRAM, session), "");
    for (const char* step : {"wheel running", "no running", "n running"})
        EXPECT_NE(session.find(step), std::string::npos) << "the program ended before: " << step << "\n" << session;
    EXPECT_NE(session.find("exit=0"), std::string::npos) << "\"yes\" ends the program\n" << session;
    EXPECT_NE(folder.ReadFile("deb.log").find("shutting down"), std::string::npos);

    const Picture idle = Shot(1), held = Shot(2), heldOff = Shot(3), wheeled = Shot(4), asked = Shot(5),
                  no = Shot(6), n = Shot(7);
    ASSERT_GT(idle.width, 0);
    // The held row's box is darker by the pressed look: 24 per component
    // through the box's opacity (the button opacity 0.4 times the box
    // texture's), the same for red, green and blue; the other rows are as
    // they were.
    const std::vector<int> before = idle.At(RowX, FirstRowY), pressed = held.At(RowX, FirstRowY);
    const int darker = before[0] - pressed[0];
    EXPECT_GE(darker, 3);
    EXPECT_LE(darker, 10);
    for (int c = 1; c < 3; ++c)
        EXPECT_NEAR(before[size_t(c)] - pressed[size_t(c)], darker, 1) << "component " << c;
    EXPECT_EQ(held.At(RowX, SixthRowY), idle.At(RowX, SixthRowY));
    EXPECT_EQ(heldOff.At(RowX, FirstRowY), before) << "off the row it is no longer shown pressed";
    EXPECT_EQ(wheeled.At(RowX, FirstRowY), before);
    // The question's panel covers the scene; "no" and N take it away.
    EXPECT_NE(asked.At(PanelX, PanelY), idle.At(PanelX, PanelY));
    EXPECT_EQ(no.At(PanelX, PanelY), idle.At(PanelX, PanelY));
    EXPECT_EQ(n.At(PanelX, PanelY), idle.At(PanelX, PanelY));
    EXPECT_EQ(no.At(RowX, FirstRowY), before) << "the menu is back";

    // Message lines: none before the first screenshot; its name shows in
    // the first line; two lines a second apart stand one under the other;
    // the seventh's line is shown four and a half seconds later, and six
    // and a half seconds later only the eighth's is left.
    const Picture stillShown = Shot(8), retired = Shot(9);
    auto line = [](const Picture& picture, int row) {
        const float top = MessageTop + MessageHeight * static_cast<float>(row) + 0.008f;
        return picture.Region(-1.0f, top, -0.8f, top + MessageHeight - 0.016f);
    };
    EXPECT_NE(line(held, 0), line(idle, 0)) << "the first screenshot's line appears";
    EXPECT_NE(line(heldOff, 1), line(idle, 1)) << "the next line stands under it";
    EXPECT_NE(line(stillShown, 0), line(idle, 0));
    EXPECT_NE(line(retired, 0), line(idle, 0)) << "the line of the eighth screenshot";
    EXPECT_EQ(line(retired, 1), line(idle, 1)) << "the older lines have retired";
    EXPECT_NE(line(retired, 0), line(stillShown, 0)) << "the seventh screenshot's line has retired";
}

} // namespace
