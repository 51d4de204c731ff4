// The sliders of the interface settings screen in the real program, in a
// virtual X display driven with xdotool: the root menu's Options row opens
// the options screen on its Display tab, whose Interface button opens the
// screen. A drag moves a slider's value by the share of its width the
// pointer moved; Esc during a drag puts the value back and leaves the
// screen open; a right click asks for a value, which is taken when it lies
// within the slider's range ("0,25": a comma reads as the decimal point)
// and refused with a message when it does not. The values are read from
// "interface_cfg.txt", which the screen writes when it closes; every state
// is saved with the program's screenshot key and kept beside the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game_folder_fixture.h"
#include "window_session.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Runs in the virtual display. Every step waits on what the program
// itself writes, never on a time: "shot NAME" presses the screenshot key
// and waits until the picture stands in data/shots (it is renamed into
// place whole), which also means that the program has handled every
// earlier event and drawn a frame since; "saved NAME" waits until the
// interface settings file, removed before, is written again and keeps a
// copy. A wait that is not answered while the program runs ends the
// session with the reason in session.txt, so that no later step lands on
// the wrong screen; the program itself is ended only after five minutes,
// which a session on a loaded machine stays well within. "at X Y" moves
// the pointer to screen units over the window; keys are typed as a
// keyboard's would be (through the X server's test extension) into the
// window, which the session gives the focus first.
const std::string SliderSessionScript = std::string(WindowSessionStart) + R"SH(at() { xdotool mousemove --window "$window" "$(pixel "$1" "$WIDTH")" "$(pixel "$2" "$HEIGHT")"; }
stop() { echo "stopped: $1" >> session.txt; kill $pid 2>/dev/null; wait $pid; exit 1; }
written() {
  for i in $(seq 1 3000); do
    [ -f "$1" ] && return 0
    kill -0 $pid 2>/dev/null || stop "the program ended before $2"
    sleep 0.1
  done
  stop "no $2 within five minutes"
}
key() { xdotool key "$1"; }
shots=0
shot() {
  shots=$((shots + 1))
  key ctrl+s
  written "$(printf "data/shots/qvn_%08d.bmp" $shots)" "picture of $1"
  echo "shot $shots $1" >> session.txt
}
saved() { written interface_cfg.txt "settings saved for $1"; cp interface_cfg.txt "$1"; }
xdotool windowfocus --sync "$window"
at 0.5 0.5; shot root
at -0.7 0.23; xdotool click 1; shot display-tab
at 0.775 0.9; xdotool click 1; shot interface
# Big opacity, on the first row: half the slider's width to the right.
at -0.55 -0.725; xdotool mousedown 1; at -0.38 -0.725; shot big-held
# Button opacity, on the fourth row: the same drag, ended by Esc.
xdotool mouseup 1; at -0.55 -0.475; shot button-before
xdotool mousedown 1; at -0.38 -0.475; shot button-held
key Escape; shot button-escaped
xdotool mouseup 1; shot button-released
rm -f interface_cfg.txt; key Escape; saved dragged.txt; shot display-again
at 0.775 0.9; xdotool click 1; shot interface-again
at -0.45 -0.725; xdotool click 3; shot entry
xdotool type "0,25"; key Return; shot entry-taken
at -0.45 -0.725; xdotool click 3; shot entry-again
xdotool type "1,5"; key Return; shot entry-refused
key Return; shot refusal-closed
rm -f interface_cfg.txt; key Escape; saved typed.txt
echo "done" >> session.txt
kill $pid; wait $pid
)SH";

// The value of a key in a settings file ("Big Opacity 0.80"); -1 when
// missing.
float SettingOf(const std::string& text, const std::string& key)
{
    const size_t at = text.find(key + " ");
    return at == std::string::npos ? -1.0f : std::stof(text.substr(at + key.size() + 1));
}

// A 24-bit screenshot's pixels in a rectangle of screen units (-1..1, y
// downwards), enough to tell whether two pictures show the same there.
std::vector<uint8_t> Region(const std::string& path, float x1, float y1, float x2, float y2)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> b{std::istreambuf_iterator<char>(file), {}};
    auto word = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return {};
    const int width = static_cast<int>(word(18)), height = std::abs(static_cast<int32_t>(word(22)));
    const bool bottomUp = static_cast<int32_t>(word(22)) > 0;
    const size_t offset = word(10), rowBytes = size_t(width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> pixels;
    for (int py = int((y1 + 1) / 2 * float(height)); py < int((y2 + 1) / 2 * float(height)); ++py)
        for (int px = int((x1 + 1) / 2 * float(width)); px < int((x2 + 1) / 2 * float(width)); ++px) {
            const size_t at = offset + size_t(bottomUp ? height - 1 - py : py) * rowBytes + size_t(px) * 3;
            if (at + 3 > b.size())
                return {};
            pixels.insert(pixels.end(), b.begin() + long(at), b.begin() + long(at) + 3);
        }
    return pixels;
}

using OptionsSliderTest = GameFolderTest;

TEST_F(OptionsSliderTest, SlidersDragCancelAndTakeTypedValuesWithinTheirRange)
{
    std::string session;
    ASSERT_EQ(RunWindowSession(folder, "Start Windowed 1\r\nOptions 9\r\n", SliderSessionScript, QV_PROGRAM, session), "");
    EXPECT_NE(session.find("done"), std::string::npos) << "the session ended early\n" << session;

    // Every state's picture, kept beside the test under the state's name.
    const std::vector<std::string> states = {"root", "display-tab", "interface", "big-held", "button-before",
                                             "button-held", "button-escaped", "button-released", "display-again",
                                             "interface-again", "entry", "entry-taken", "entry-again",
                                             "entry-refused", "refusal-closed"};
    fs::create_directories(QV_ARTIFACT_FOLDER);
    auto shot = [&](const std::string& state) {
        for (size_t i = 0; i < states.size(); ++i)
            if (states[i] == state) {
                char name[64];
                std::snprintf(name, sizeof name, "/data/shots/qvn_%.8zu.bmp", i + 1);
                return folder.Path() + name;
            }
        return std::string();
    };
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_NE(session.find("shot " + std::to_string(i + 1) + " " + states[i]), std::string::npos)
            << "no picture of " << states[i] << "\n" << session;
        std::error_code ignored;
        fs::copy_file(shot(states[i]), std::string(QV_ARTIFACT_FOLDER) + "/" + states[i] + ".bmp",
                      fs::copy_options::overwrite_existing, ignored);
    }

    // The drag moved Big Opacity from 0.3 by half its range; the one ended
    // by Esc left Button Opacity where it was.
    const std::string dragged = folder.ReadFile("dragged.txt");
    ASSERT_FALSE(dragged.empty()) << "the screen did not save on closing\n" << session;
    EXPECT_NEAR(SettingOf(dragged, "Big Opacity"), 0.8f, 0.015f) << dragged;
    EXPECT_FLOAT_EQ(SettingOf(dragged, "Button Opacity"), 0.4f) << dragged;
    // Typed "0,25" is taken; "1,5" lies above the range and changes nothing.
    const std::string typed = folder.ReadFile("typed.txt");
    ASSERT_FALSE(typed.empty()) << "the screen did not save on closing\n" << session;
    EXPECT_FLOAT_EQ(SettingOf(typed, "Big Opacity"), 0.25f) << typed;
    EXPECT_FLOAT_EQ(SettingOf(typed, "Button Opacity"), 0.4f) << typed;

    // The Button opacity row (its label and its slider) shows the dragged
    // value while held and the first value again after Esc; Esc left the
    // screen open, so the release draws the same.
    auto buttonRow = [&](const std::string& state) { return Region(shot(state), -0.95f, -0.495f, -0.25f, -0.455f); };
    const std::vector<uint8_t> before = buttonRow("button-before");
    ASSERT_FALSE(before.empty());
    EXPECT_NE(buttonRow("button-held"), before);
    EXPECT_EQ(buttonRow("button-escaped"), before);
    EXPECT_EQ(buttonRow("button-released"), before);
    // The value entry and the refusal cover the middle of the screen, and
    // both are gone once answered.
    auto middle = [&](const std::string& state) { return Region(shot(state), -0.2f, -0.4f, 0.2f, 0.0f); };
    EXPECT_NE(middle("entry"), middle("interface-again"));
    EXPECT_NE(middle("entry-refused"), middle("entry-taken"));
    EXPECT_EQ(middle("refusal-closed"), middle("entry-taken"));
}

} // namespace
