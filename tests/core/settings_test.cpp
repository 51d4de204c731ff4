// Tests of "cfg.txt": every key of the key table read below, above and
// inside its range, as garbage and through its mask; the saved file against
// a reference written from the key list by hand; round trips; the fix-ups.
#include "core/local.h"
#include "core/services.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int EnglishUs = 0x409;

std::string ReadReference(const char* name)
{
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/tests/core/data/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The value of a key as the saver writes it.
std::string Formatted(const ConfigKey& key)
{
    char value[256];
    FormatConfigValue(key, &MutableSettings, value, sizeof value);
    return value;
}

std::string FormattedKey(const char* name)
{
    int k = FindConfigKey(name);
    EXPECT_GE(k, 0) << name;
    return k < 0 ? "" : Formatted(ConfigKeyTable[k]);
}

// Every key's written value, in table order.
std::vector<std::string> AllValues()
{
    std::vector<std::string> values;
    for (const ConfigKey& key : ConfigKeyTable)
        values.push_back(Formatted(key));
    return values;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        OverrideUserLanguageId(EnglishUs);
    }
    void TearDown() override { OverrideUserLanguageId(-1); }

    // Loads a cfg.txt of the given lines (LF line ends).
    void LoadText(const std::string& text)
    {
        folder.WriteFile("cfg.txt", text);
        LoadConfig();
    }

    TempFolder folder;
};

// The number as the value readers and the saver see it, for a clamped or
// masked key: what a value read from the file must become.
double Clamp(const ConfigKey& key, double value)
{
    if (value < key.min)
        return key.min;
    if (value > key.max)
        return key.max;
    return value;
}

// What the fix-ups after reading do to a number of these keys.
double AfterFixUps(const ConfigKey& key, double value)
{
    if (std::strcmp(key.name, "Mip Filter ") == 0) {
        int v = static_cast<int>(value);
        return (v == 0 || v == 1 || v == 2 || v == 4 || v == 8 || v == 16) ? v : 0;
    }
    if (std::strcmp(key.name, "MP Filter ") == 0)
        return static_cast<int>(value) & ~0x20;
    return value;
}

std::string FormatNumber(const ConfigKey& key, double value)
{
    char text[64];
    if (key.kind == ConfigValueKind::Float)
        std::snprintf(text, sizeof text, "%.*f", key.decimals, value);
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}

struct NumberCase {
    const char* label;
    std::string written;  // the value in the file
    double expected;      // before the fix-ups
};

std::vector<NumberCase> NumberCases(const ConfigKey& key)
{
    std::vector<NumberCase> cases;
    double def = key.defaultValue;
    switch (key.kind) {
    case ConfigValueKind::Int:
    case ConfigValueKind::Byte:
        cases.push_back({"below", std::to_string(static_cast<long long>(key.min) - 1), key.min});
        cases.push_back({"above", std::to_string(static_cast<long long>(key.max) + 1), key.max});
        cases.push_back({"far above", "99999999999999999999", key.max});
        cases.push_back({"inside", std::to_string(static_cast<long long>((key.min + key.max) / 2)),
                         static_cast<double>(static_cast<long long>((key.min + key.max) / 2))});
        cases.push_back({"garbage", "x12", Clamp(key, def)});
        break;
    case ConfigValueKind::Float:
        cases.push_back({"below", FormatNumber(key, key.min - 1), key.min});
        cases.push_back({"above", FormatNumber(key, key.max + 1), key.max});
        cases.push_back({"not a number", "nan", key.min});
        cases.push_back({"garbage", "x1.5", Clamp(key, def)});
        break;
    case ConfigValueKind::IntMasked:
        cases.push_back({"all bits", "-1", static_cast<double>(key.mask)});
        cases.push_back({"no bits", "0", 0});
        cases.push_back({"garbage", "x", static_cast<double>(static_cast<int>(def) & key.mask)});
        break;
    case ConfigValueKind::IntUnclamped:
        cases.push_back({"large", "2000000000", 2000000000});
        cases.push_back({"negative", "-7", -7});
        cases.push_back({"garbage", "x", def});
        break;
    default:
        break;
    }
    return cases;
}

// Lines that keep the loader from changing other keys: the file is of this
// version (else "Windowed Link" is set) and not a first run (else the
// stored car, track, setup and colours are ignored).
std::string Preamble(const ConfigKey& key)
{
    std::string text = "Version 0.5Z\n";
    if (key.flags & ConfigKeptAfterFirstRun)
        text += "Welcome Z 0\n";
    return text;
}

// Checks that only the key under test (and those named) differ from the defaults.
void ExpectOthersUnchanged(const std::vector<std::string>& defaults, int tested, const char* label)
{
    std::vector<std::string> now = AllValues();
    for (int k = 0; k < ConfigKeyCount; ++k) {
        const char* name = ConfigKeyTable[k].name;
        if (k == tested || std::strcmp(name, "Welcome Z ") == 0)
            continue;
        // "Helmet Skins" follows "Auto Get Skins" when it is not in the file.
        if (std::strcmp(name, "Helmet Skins ") == 0 &&
            std::strcmp(ConfigKeyTable[tested].name, "Auto Get Skins ") == 0)
            continue;
        EXPECT_EQ(now[k], defaults[k]) << "reading " << ConfigKeyTable[tested].name << "(" << label
                                       << ") changed " << name;
    }
}

TEST_F(SettingsTest, TableHasEveryKeyOnceEndingInABlank)
{
    ASSERT_EQ(ConfigKeyCount, 196);
    for (int k = 0; k < ConfigKeyCount; ++k) {
        const char* name = ConfigKeyTable[k].name;
        size_t length = std::strlen(name);
        ASSERT_GT(length, 1u);
        EXPECT_EQ(name[length - 1], ' ') << name;
        EXPECT_EQ(FindConfigKey(name), k) << name;
    }
}

TEST_F(SettingsTest, DefaultsSaveAsTheReferenceFile)
{
    LoadConfig();
    ASSERT_EQ(SaveConfig(), 1);
    // The reference is kept with LF line ends; the file has CR LF.
    std::string reference = ReadReference("default_cfg.txt");
    ASSERT_FALSE(reference.empty());
    std::string withCrLf;
    for (char c : reference) {
        if (c == '\n')
            withCrLf += '\r';
        withCrLf += c;
    }
    EXPECT_EQ(folder.ReadFile("cfg.txt"), withCrLf);
}

TEST_F(SettingsTest, EveryNumberKeyIsClampedMaskedOrKeptAsTheTableSays)
{
    LoadText("Version 0.5Z\n");
    std::vector<std::string> defaults = AllValues();
    int tested = 0;
    for (int k = 0; k < ConfigKeyCount; ++k) {
        const ConfigKey& key = ConfigKeyTable[k];
        for (const NumberCase& c : NumberCases(key)) {
            LoadText(Preamble(key) + key.name + c.written + "\n");
            std::string expected = FormatNumber(key, AfterFixUps(key, c.expected));
            EXPECT_EQ(Formatted(key), expected) << key.name << "(" << c.label << ": " << c.written << ")";
            ExpectOthersUnchanged(defaults, k, c.label);
            ++tested;
        }
    }
    EXPECT_GT(tested, 500);
}

TEST_F(SettingsTest, EveryTextKeyIsCutAndKeepsOnlyPrintableCharacters)
{
    LoadText("Version 0.5Z\n");
    std::vector<std::string> defaults = AllValues();
    for (int k = 0; k < ConfigKeyCount; ++k) {
        const ConfigKey& key = ConfigKeyTable[k];
        if (key.kind != ConfigValueKind::Text && key.kind != ConfigValueKind::Name)
            continue;
        // Letters with a control character and a file-name character among
        // them, longer than the field.
        std::string value = "ab\x01:c";
        while (static_cast<int>(value.size()) < key.length + 10)
            value += static_cast<char>('d' + value.size() % 20);
        LoadText(Preamble(key) + key.name + value + "\n");

        // A name drops the file-name character as it reads; a text that
        // names a file drops it from what it read.
        std::string expected;
        for (char c : value) {
            bool keep = static_cast<unsigned char>(c) >= 32;
            if (c == ':' && key.kind == ConfigValueKind::Name)
                keep = false;
            if (keep && static_cast<int>(expected.size()) < key.length)
                expected += c;
        }
        if (key.flags & ConfigNoFileNameChars)
            expected.erase(expected.find(':'), 1);
        EXPECT_EQ(Formatted(key), expected) << key.name;
        ExpectOthersUnchanged(defaults, k, "long text");
    }
}

TEST_F(SettingsTest, ColourAndModeKeysTakeTheirIntegersUnclamped)
{
    for (const ConfigKey& key : ConfigKeyTable) {
        if (key.kind == ConfigValueKind::Colour) {
            LoadText(Preamble(key) + key.name + "300 -1 7\n");
            EXPECT_EQ(Formatted(key), "44 255 7") << key.name;
        } else if (key.kind == ConfigValueKind::Mode) {
            LoadText(Preamble(key) + key.name + "1 75 -5 100000\n");
            EXPECT_EQ(Formatted(key), "1 75 -5 100000") << key.name;
            // A value cut short keeps the fields it did not reach.
            SetConfigDefaults();
            std::string d = Formatted(key);
            std::string lastTwo = d.substr(d.find(' ', d.find(' ') + 1) + 1);
            LoadText(Preamble(key) + key.name + "0 60 x\n");
            EXPECT_EQ(Formatted(key), "0 60 " + lastTwo) << key.name;
        }
    }
}

// A value for every key that differs from its default and survives the
// written format, so that a save and a load must carry each field.
void SetDistinctValues()
{
    for (int k = 0; k < ConfigKeyCount; ++k) {
        const ConfigKey& key = ConfigKeyTable[k];
        char* field = reinterpret_cast<char*>(&MutableSettings) + key.offset;
        switch (key.kind) {
        case ConfigValueKind::Int:
        case ConfigValueKind::Byte: {
            int value = static_cast<int>(key.max != key.defaultValue ? key.max : key.min);
            if (std::strcmp(key.name, "Helmet Skins ") == 0)
                value = 0;
            if (key.kind == ConfigValueKind::Byte)
                *reinterpret_cast<uint8_t*>(field) = static_cast<uint8_t>(value);
            else
                *reinterpret_cast<int*>(field) = value;
            break;
        }
        case ConfigValueKind::Float:
            *reinterpret_cast<float*>(field) =
                static_cast<float>(key.max != key.defaultValue ? key.max : key.min);
            break;
        case ConfigValueKind::IntMasked:
            *reinterpret_cast<int*>(field) = key.mask & ~0x20 & ~static_cast<int>(key.defaultValue);
            break;
        case ConfigValueKind::IntUnclamped:
            *reinterpret_cast<int*>(field) = -1000 - k;
            break;
        case ConfigValueKind::Text:
        case ConfigValueKind::Name: {
            std::string value = "v";
            value += std::to_string(k);
            value += " x";
            value.resize(static_cast<size_t>(key.length), 'z');
            std::memcpy(field, value.c_str(), value.size() + 1);
            break;
        }
        case ConfigValueKind::Colour:
            *reinterpret_cast<ColourRecord*>(field) = {static_cast<uint8_t>(k), 200, static_cast<uint8_t>(255 - k), 0};
            break;
        case ConfigValueKind::Mode:
            *reinterpret_cast<ScreenModeSetting*>(field) = {1, 60 + k, 1000 + k, 700 + k};
            break;
        case ConfigValueKind::Version:
            break;
        }
    }
    MutableSettings.welcomeZ = 0;
    std::strcpy(MutableSettings.language, "Deutsch");
}

TEST_F(SettingsTest, SaveAndLoadCarryEveryField)
{
    SetDistinctValues();
    std::vector<std::string> saved = AllValues();
    ASSERT_EQ(SaveConfig(), 1);
    std::string file = folder.ReadFile("cfg.txt");

    ResetCoreTables();
    LoadConfig();
    std::vector<std::string> loaded = AllValues();
    for (int k = 0; k < ConfigKeyCount; ++k)
        EXPECT_EQ(loaded[k], saved[k]) << ConfigKeyTable[k].name;

    // Written again, the file is the same, and lists the keys in table order.
    ASSERT_EQ(SaveConfig(), 1);
    EXPECT_EQ(folder.ReadFile("cfg.txt"), file);
    size_t at = 0;
    for (const ConfigKey& key : ConfigKeyTable) {
        ASSERT_EQ(file.compare(at, std::strlen(key.name), key.name), 0) << key.name;
        at = file.find("\r\n", at) + 2;
    }
    EXPECT_EQ(at, file.size());
}

TEST_F(SettingsTest, FloatsAreRoundedToTheWrittenDecimals)
{
    MutableSettings.thrBrkRate = 2.345678f;  // "%.2f"
    MutableSettings.lspg = 0.0123456f;       // "%.3f"
    MutableSettings.mip0 = -1.26f;           // "%.1f"
    MutableSettings.userFov = 90.5f;         // "%.0f": ties go to even
    SaveConfig();
    ResetCoreTables();
    LoadConfig();
    EXPECT_FLOAT_EQ(MutableSettings.thrBrkRate, 2.35f);
    EXPECT_FLOAT_EQ(MutableSettings.lspg, 0.012f);
    EXPECT_FLOAT_EQ(MutableSettings.mip0, -1.3f);
    EXPECT_FLOAT_EQ(MutableSettings.userFov, 90.0f);
}

TEST_F(SettingsTest, NumbersIgnoreTheUserLocale)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    ASSERT_TRUE(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr || std::setlocale(LC_ALL, "de_DE") != nullptr)
        << "locale de_DE.UTF-8 is missing: scripts/setup.sh makes it";
    LoadText("Version 0.5Z\nThr Brk Rate 7.25\nKB Steer Rate 0,5\n");
    EXPECT_FLOAT_EQ(MutableSettings.thrBrkRate, 7.25f);
    EXPECT_FLOAT_EQ(MutableSettings.kbSteerRate, 0.0f);  // "0" is the number; ",5" is not part of it
    SaveConfig();
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_NE(folder.ReadFile("cfg.txt").find("Thr Brk Rate 7.25\r\n"), std::string::npos);
}

struct EdgeCase {
    const char* label;
    int userLanguage;
    const char* text;
    const char* key;
    const char* expected;
};

TEST_F(SettingsTest, LoaderRulesAndFixUps)
{
    const EdgeCase cases[] = {
        {"min frame time below", EnglishUs, "Min Frame Time 5\n", "Min Frame Time ", "10"},
        {"min frame time above", EnglishUs, "Min Frame Time 500\n", "Min Frame Time ", "100"},
        {"mip filter 3 is not a filter", EnglishUs, "Mip Filter 3\n", "Mip Filter ", "0"},
        {"mip filter 8 stays", EnglishUs, "Mip Filter 8\n", "Mip Filter ", "8"},
        {"first run ignores the car", EnglishUs, "Welcome Z 1\nSelected Car DY GTR\n", "Selected Car ", "WQ SPORT"},
        {"later runs keep the car", EnglishUs, "Welcome Z 0\nSelected Car DY GTR\n", "Selected Car ", "DY GTR"},
        {"an empty car is the default", EnglishUs, "Welcome Z 0\nSelected Car \n", "Selected Car ", "WQ SPORT"},
        {"old file on a Japanese system", 0x411, "Version 0.5Y\nLanguage Deutsch\n", "Language ", "Japanese"},
        {"old file resets the window link", 0x411, "Version 0.5Y\nWindowed Link 0\n", "Windowed Link ", "1"},
        {"same version keeps the window link", EnglishUs, "Version 0.5Z\nWindowed Link 0\n", "Windowed Link ", "0"},
        {"old file elsewhere keeps the language", 0x407, "Version 0.5Y\nLanguage Italiano\n", "Language ", "Italiano"},
        {"Serbian sub-language 3", 0x1A | 3 << 10, "", "Language ", "Serbian"},
        {"Serbian sub-language 4 is Croatian", 0x1A | 4 << 10, "", "Language ", "Croatian"},
        {"Brazilian", 0x16 | 1 << 10, "", "Language ", "Brazilian"},
        {"unknown primary stays English", 0x7F, "", "Language ", ""},
        {"English is the built-in language", 0x407, "Language eNGLISH\n", "Language ", ""},
        {"language without file-name characters", EnglishUs, "Language ..\\Deu/ts:ch\n", "Language ", "..Deutsch"},
        {"helmet skins follow auto skins", EnglishUs, "Auto Get Skins 2\n", "Helmet Skins ", "2"},
        {"helmet skins in the file", EnglishUs, "Auto Get Skins 2\nHelmet Skins 0\n", "Helmet Skins ", "0"},
        {"modem type absent", EnglishUs, "", "Modem Type ", "0"},
        {"modem type read", EnglishUs, "Modem Type 0\n", "Modem Type ", "3"},
        {"filter absent", EnglishUs, "", "MP Filter ", "212"},
        {"filter loses bit 0x20", EnglishUs, "MP Filter 255\n", "MP Filter ", "220"},
        {"the last of repeated keys wins", EnglishUs, "Show FPS 0\nShow FPS 2\n", "Show FPS ", "2"},
        {"CR LF lines", EnglishUs, "Show FPS 2\r\nSky Res 0\r\n", "Sky Res ", "0"},
        {"a key inside an unknown line", EnglishUs, "Old Show FPS 2\n", "Show FPS ", "2"},
        {"case matters", EnglishUs, "show fps 2\n", "Show FPS ", "1"},
        {"a key name after a short name value", EnglishUs,
         "Setup Name abcdefghijklmnopShow FPS 0\n", "Show FPS ", "0"},
        {"a name stops at its length", EnglishUs, "Welcome Z 0\nSetup Name abcdefghijklmnopqrst\n", "Setup Name ",
         "abcdefghijklmno"},
        {"strategy bytes", EnglishUs, "Fuel Start 0\nTyre Limit 200\n", "Tyre Limit ", "90"},
        {"a number on the next line", EnglishUs, "Show FPS \n2\n", "Show FPS ", "2"},
    };
    for (const EdgeCase& c : cases) {
        ResetCoreTables();
        OverrideUserLanguageId(c.userLanguage);
        LoadText(c.text);
        EXPECT_EQ(FormattedKey(c.key), c.expected) << c.label;
    }
}

TEST_F(SettingsTest, MusicFolderPercentStaysText)
{
    LoadText("Music Dir D:\\100%s music\n");
    EXPECT_STREQ(DerivedSettings.musicFileTemplate, "D:\\100%%s music\\%s.ogg");
    char path[128];
    std::snprintf(path, sizeof path, DerivedSettings.musicFileTemplate, "track");
    EXPECT_STREQ(path, "D:\\100%s music\\track.ogg");
}

TEST_F(SettingsTest, DerivedValues)
{
    LoadText("Main LOD 0.5\nUser FOV 90\nEditor FOV 60\nShadow Mode 1\n");
    EXPECT_FLOAT_EQ(DerivedSettings.mainLodFactor, 2.0f);
    EXPECT_NEAR(DerivedSettings.fovTangent, 2.0f, 1e-6);
    EXPECT_NEAR(DerivedSettings.editorFovTangent, 2.0f * 0.57735027f, 1e-6);
    EXPECT_EQ(DerivedSettings.shadowTextureSize, 32);
    EXPECT_STREQ(DerivedSettings.musicFileTemplate, "data\\ogg\\%s.ogg");
}

TEST_F(SettingsTest, SavingEndsModesStartedByInSim)
{
    MutableSettings.outSimMode = 3;
    MutableSettings.outGaugeMode = 3;
    ASSERT_EQ(SaveConfig(), 1);
    std::string file = folder.ReadFile("cfg.txt");
    EXPECT_NE(file.find("\r\nOutSim Mode 0\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nOutGauge Mode 0\r\n"), std::string::npos);
}

TEST_F(SettingsTest, UpdateFlag)
{
    struct {
        const char* file;  // nullptr: no file
        int expected;
    } cases[] = {
        {nullptr, 1},
        {"Version 0.5Z\r\nUpdate 0\r\n", 0},
        {"Version 0.5Y\r\nUpdate 0\r\n", 1},
        {"Update 0\r\n", 1},
        {"Version 0.5Z\r\nUpdate 300\r\n", 255},
        {"Version 0.5Z\r\n", 1},
    };
    for (const auto& c : cases) {
        std::remove("update_cfg.txt");
        if (c.file)
            folder.WriteFile("update_cfg.txt", c.file);
        MutableDerivedSettings.updateFlag = 7;
        ReadUpdateConfig();
        EXPECT_EQ(DerivedSettings.updateFlag, c.expected) << (c.file ? c.file : "no file");
    }
}

TEST(SettingsLanguageTest, LocaleNamesBecomeWindowsLanguageIds)
{
    struct {
        const char* locale;
        int id;
    } cases[] = {
        {"pt_BR.UTF-8", 0x16 | 1 << 10}, {"pt_PT.UTF-8", 0x16 | 2 << 10}, {"sr_RS", 0x1A | 3 << 10},
        {"sr_RS@latin", 0x1A | 2 << 10}, {"sr_RS.UTF-8@latin", 0x1A | 2 << 10}, {"hr_HR.UTF-8", 0x1A | 1 << 10},
        {"zh_TW.UTF-8", 0x04 | 1 << 10}, {"zh_CN.UTF-8", 0x04 | 2 << 10}, {"ja_JP.UTF-8", 0x11 | 1 << 10},
        {"de_DE.UTF-8", 0x07 | 1 << 10}, {"C", 0x09 | 1 << 10}, {"", 0x09 | 1 << 10},
        {"xx_YY", 0x09 | 1 << 10},
    };
    const char* savedAll = std::getenv("LC_ALL");
    const char* savedLang = std::getenv("LANG");
    std::string keptAll = savedAll ? savedAll : "";
    std::string keptLang = savedLang ? savedLang : "";
    for (const auto& c : cases) {
        setenv("LC_ALL", c.locale, 1);
        setenv("LANG", c.locale, 1);
        EXPECT_EQ(GetUserDefaultLanguageId(), c.id) << c.locale;
    }
    if (savedAll)
        setenv("LC_ALL", keptAll.c_str(), 1);
    else
        unsetenv("LC_ALL");
    if (savedLang)
        setenv("LANG", keptLang.c_str(), 1);
    else
        unsetenv("LANG");
}

} // namespace
