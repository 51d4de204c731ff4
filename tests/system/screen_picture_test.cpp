// What the program's window shows, in a private X server: the root
// screen's texts where the program's layout puts them and as the vector
// font draws them, the screenshot that Ctrl+S saves against the X server's
// own picture of the window, the title picture and the screens' background
// picture. The
// pictures are checked by an independent reader and rasteriser
// (screen_reference.py); the places come from the program's own drawing on
// a recording device (screen_layout_driver).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/services.h"
#include "game_folder_fixture.h"
#include "support/process.h"
#include "support/temp_folder.h"
#include "support/x_display.h"

namespace {

namespace fs = std::filesystem;

constexpr int ScreenWidth = 1280, ScreenHeight = 1024;
constexpr int StartSeconds = 60, EndSeconds = 20;
const char* const ShotName = "data/shots/qvn_00000001.bmp";

// One run of the program shared by the tests: the window's picture as the
// X server shows it, the screenshot the program saved on Ctrl+S, the
// layout of the texts and the program's version line.
struct WindowRun {
    std::string failure;  // empty when everything was had
    WindowPlace place;
    std::string version;  // as the log's first line gives it
};

std::string ReadWhole(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool WaitFor(const std::function<bool()>& ready, int seconds)
{
    auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds)) {
        if (ready())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

class ScreenPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<TempFolder>();
        run.failure = Run(run);
    }
    static void TearDownTestSuite()
    {
        display.Stop();
        folder.reset();
    }
    void SetUp() override { ASSERT_EQ(run.failure, "") << ReadWhole(Path("said.txt")) << ReadWhole(Path("deb.log")); }

    static std::string Path(const std::string& name) { return folder->Path() + "/" + name; }

    // Starts the program in a window, takes the X server's picture of it
    // once its menu is drawn, presses Ctrl+S, closes it and asks the
    // layout driver where the texts went.
    // Returns "" or what went wrong.
    static std::string Run(WindowRun& result)
    {
        if (std::string copied = CopyGameData(folder->Path()); !copied.empty())
            return copied;
        if (std::string started = display.Start(ScreenWidth, ScreenHeight); !started.empty())
            return started;
        folder->WriteFile("cfg.txt", "Start Windowed 1\r\n");
        RunningProgram program({QV_PROGRAM}, folder->Path(), Path("said.txt"));
        bool shown = WaitFor(
            [&] {
                if (ReadWhole(Path("deb.log")).find("end of initialisation") != std::string::npos)
                    result.place = FindWindowOfClass("QVN");
                return result.place.id != 0 || program.Wait(0) != -1;
            },
            StartSeconds);
        if (!shown || result.place.id == 0)
            return "no window of class QVN";
        // The picture once the menu is drawn: not of one colour, and two
        // pictures half a second apart alike. The X server's picture is a
        // binary PPM file (a short header, then RGB bytes).
        const std::string window = std::to_string(result.place.id);
        std::string last;
        bool steady = WaitFor(
            [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                if (RunProcess("/usr/bin/import", {"-window", window, "ppm:" + Path("window.ppm")}, folder->Path())
                        .exitCode != 0)
                    return false;
                std::string picture = ReadWhole(Path("window.ppm"));
                const size_t bytes = size_t(result.place.width) * result.place.height * 3;
                const size_t pixels = picture.size() > bytes ? picture.size() - bytes : 0;
                bool plain = pixels == 0 ||
                             picture.find_first_not_of(picture.substr(pixels, 3), pixels) == std::string::npos;
                bool same = !plain && picture == last;
                last = picture;
                return same;
            },
            StartSeconds);
        if (!steady)
            return "the X server's picture of the window could not be taken, or never settled";
        if (RunProcess("/usr/bin/xdotool", {"key", "--window", window, "ctrl+s"}, folder->Path()).exitCode != 0)
            return "xdotool could not press Ctrl+S";
        const size_t shotBytes = 54 + size_t((result.place.width * 3 + 3) & ~3) * result.place.height;
        WaitFor([&] { return fs::exists(Path(ShotName)) && fs::file_size(Path(ShotName)) >= shotBytes; }, 20);
        SendCloseRequest(result.place.id);
        if (program.Wait(EndSeconds) != 0)
            return "the program did not end with 0 when closed";
        std::string log = ReadWhole(Path("deb.log"));
        constexpr const char* VersionMark = "QVN : ";
        if (log.rfind(VersionMark, 0) != 0)
            return "the log does not begin with the version";
        result.version = log.substr(6, log.find_first_of("\r\n") - 6);

        ProcessResult layout = RunProcess(QV_LAYOUT_DRIVER,
                                          {std::to_string(result.place.width), std::to_string(result.place.height)},
                                          folder->Path());
        if (layout.exitCode != 0)
            return "the layout driver failed: " + layout.output;
        folder->WriteFile("layout.txt", layout.output);
        return "";
    }

    static ProcessResult Reference(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> all = {QV_SOURCE_DIR "/tests/system/screen_reference.py"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunProcess(QV_DEBIAN_PYTHON, all, folder->Path());
    }

    static PrivateDisplay display;
    static std::unique_ptr<TempFolder> folder;
    static WindowRun run;
};
PrivateDisplay ScreenPictureTest::display;
std::unique_ptr<TempFolder> ScreenPictureTest::folder;
WindowRun ScreenPictureTest::run;

// The root screen's version line, menu rows and exit button are drawn as
// text: each line's glyphs alike to the font's, within a pixel of where the
// layout put them, in its colour, with nothing else drawn around them, and
// the lines spell the menu's texts.
TEST_F(ScreenPictureTest, RootScreenShowsItsTitleAndMenuRowsAsTextWhereTheLayoutPutsThem)
{
    std::vector<std::string> arguments = {"text", folder->Path(), Path("window.ppm"), Path("layout.txt"),
                                          "Quorvan " + run.version};
    for (TextId id : {TX_3g_tr_selct, TX_3a_mpselect, TX_3a_spselect, TX_3a_hlselect, TX_3g_repl_sel,
                      TX_3a_opselect, TX_3a_exit_btn})
        arguments.push_back(GetText(id));
    ProcessResult checked = Reference(arguments);
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
}

// Ctrl+S saved the frame as a BMP file whose picture, read from the file's
// layout by an independent decoder, is the one the X server shows.
TEST_F(ScreenPictureTest, CtrlSSavesTheFrameAsABmpOfWhatTheWindowShows)
{
    ASSERT_TRUE(fs::exists(Path(ShotName))) << ReadWhole(Path("deb.log"));
    ProcessResult checked = Reference({"shot", Path(ShotName), Path("window.ppm")});
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
}

// The title picture shows over the background where the layout puts it.
TEST_F(ScreenPictureTest, RootScreenShowsTheTitlePicture)
{
    ProcessResult checked = Reference({"title", folder->Path(), Path("window.ppm"), Path("layout.txt")});
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
}

// The root screen's background mode shows the screens' picture over the
// whole window wherever nothing else is drawn.
TEST_F(ScreenPictureTest, RootScreenShowsTheBackgroundPictureAroundItsTexts)
{
    ProcessResult checked = Reference({"background", folder->Path(), Path("window.ppm"), Path("layout.txt")});
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
}

} // namespace
