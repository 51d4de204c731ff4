// The text table, language files in single- and double-byte code pages, the
// generated English file and the shared messages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/local.h"
#include "core/services.h"
#include "support/temp_folder.h"

namespace {

class TextTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCoreTables();
        StartDebugLog();
    }
    void TearDown() override
    {
        ResetCoreTables();
        ResetCoreHooks();
    }

    // Writes "data/language/<name>.txt" with the bytes given.
    void WriteLanguage(const std::string& name, const std::string& bytes)
    {
        folder.WriteFile("data/language/" + name + ".txt", bytes);
    }
    std::string Log() { return folder.ReadFile("deb.log"); }

    TempFolder folder;
};

bool PointsIntoLanguage(TextId id) { return GetText(id) != TextTable[id].english; }

TEST_F(TextTableTest, TableRowsAndSlotsStartInEnglish)
{
    EXPECT_STREQ(TextTable[TX_tx_codepage].key, "tx_codepage");
    EXPECT_STREQ(GetText(TX_tx_codepage), "1252");
    EXPECT_EQ(TextTable[TX_tx_langname].maxLength, 24);
    EXPECT_STREQ(GetText(TX_3a_hlvcthis), " Lap-");
    EXPECT_STREQ(GetText(TX_3a_cnocolon), "Could not open file :");
    EXPECT_EQ(TextTable[TX_3a_hostfull].messageNumber, 0);
    EXPECT_EQ(TextTable[TX_3a_racexlap].messageNumber, NoMessageNumber);
    // The shared messages end the table in number order, all 64 wide.
    int last = -1;
    for (int i = 0; i < TextCount; ++i) {
        const TextEntry& entry = TextTable[i];
        EXPECT_EQ(std::strlen(entry.key), static_cast<size_t>(TextKeyLength)) << entry.key;
        EXPECT_LT(std::strlen(entry.english), entry.maxLength) << entry.key;
        if (entry.messageNumber != NoMessageNumber) {
            EXPECT_GT(entry.messageNumber, last);
            EXPECT_EQ(entry.maxLength, 64);
            last = entry.messageNumber;
        } else {
            EXPECT_EQ(last, -1) << "ordinary entry after the messages: " << entry.key;
        }
    }
    EXPECT_EQ(last, 55);
}

TEST_F(TextTableTest, LanguageLinesApplyAsTheFileFormatSays)
{
    std::string longLine = "3a_loadinfo " + std::string(115, 'y') + "3a_opselect Hijacked";
    WriteLanguage("Test",
                  "3a_exit_btn \r\n"                 // key and blank only: empty text
                  "3a_hlvcthis Runde-\n"             // leading blank of the English kept
                  "3a_spselect Solo\r"               // CR alone ends a line
                  + std::string("\0\0", 2) +         // zero bytes between lines
                  "\n\n3a_mpselect Multi joueur\r\n" +
                  longLine + "\r\n"                  // too long, and cut: the rest is no entry
                  "3a_unknownk Nothing\r\n"          // unknown key ignored
                  "3a_hlselec\r\n"                   // too short for a key
                  "3A_OPSELECT Case matters\r\n"
                  "3a_racexlap %d Runden");          // no line end at the end
    ASSERT_EQ(LoadLanguage("Test", true), 1);
    EXPECT_STREQ(GetText(TX_3a_exit_btn), "");
    EXPECT_STREQ(GetText(TX_3a_hlvcthis), " Runde-");
    EXPECT_STREQ(GetText(TX_3a_spselect), "Solo");
    EXPECT_STREQ(GetText(TX_3a_mpselect), "Multi joueur");
    EXPECT_STREQ(GetText(TX_3a_opselect), "Options");
    EXPECT_STREQ(GetText(TX_3a_loadinfo), "Loading");  // too long
    EXPECT_STREQ(GetText(TX_3a_racexlap), "%d Runden");
    EXPECT_STREQ(GetText(TX_3a_race1lap), "race 1 lap");  // not in the file

    // Loading again after a reset gives the same texts.
    ResetTextTable();
    EXPECT_STREQ(GetText(TX_3a_spselect), "Single player");
    ASSERT_EQ(LoadLanguage("Test", false), 1);
    EXPECT_STREQ(GetText(TX_3a_spselect), "Solo");
    EXPECT_STREQ(GetText(TX_3a_hlvcthis), " Runde-");
}

// A translation is refused (English kept, reported) when it does not fit
// its entry or when its printf directives differ from the English text's:
// a text used as a format must take the arguments the code passes.
TEST_F(TextTableTest, TranslationsThatDoNotFitOrChangeTheFormatAreRefused)
{
    struct Case {
        const char* line;
        TextId id;
        const char* expected;  // nullptr: the English text stays
        const char* report;    // the log line, when refused
    };
    const Case cases[] = {
        {"tx_noun_adj abc", TX_tx_noun_adj, "abc", nullptr},                  // 3 < 4
        {"tx_noun_adj abcd", TX_tx_noun_adj, nullptr, "Too long : tx_noun_adj (by 1)"},
        {"tx_noun_adj abcdef", TX_tx_noun_adj, nullptr, "Too long : tx_noun_adj (by 3)"},
        {"3a_racexlap %d tours", TX_3a_racexlap, "%d tours", nullptr},
        {"3a_racexlap %3d tours 100%%", TX_3a_racexlap, "%3d tours 100%%", nullptr},
        {"3a_racexlap %s tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_racexlap %d %d tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_racexlap tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_racexlap %d%n tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_racexlap %1$d tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_racexlap %*d tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_racexlap %ld tours", TX_3a_racexlap, nullptr, "Wrong format : 3a_racexlap"},
        {"3a_exit_btn 50%", TX_3a_exit_btn, nullptr, "Wrong format : 3a_exit_btn"},
        {"3g_set_sh_x Reglages %s :", TX_3g_set_sh_x, "Reglages %s :", nullptr},
        {"3a_hostfull Serveur %s plein", TX_3a_hostfull, nullptr, "Wrong format : 3a_hostfull"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ResetTextTable();
        StartDebugLog();
        WriteLanguage("Test", std::string(c.line) + "\r\n");
        ASSERT_EQ(LoadLanguage("Test", true), 1);
        EXPECT_STREQ(GetText(c.id), c.expected ? c.expected : TextTable[c.id].english);
        if (c.report)
            EXPECT_NE(Log().find(std::string("LoadLanguage : ") + c.report), std::string::npos) << Log();
        else
            EXPECT_EQ(Log().find("LoadLanguage"), std::string::npos) << Log();
    }
}

TEST_F(TextTableTest, MissingOrUnsafeLanguageKeepsEnglishAndClearsTheChoice)
{
    WriteLanguage("Test", "3a_spselect Solo\r\n");
    folder.WriteFile("data/Outside.txt", "3a_spselect Outside\r\n");
    SelectLanguage("Test");
    EXPECT_STREQ(MutableSettings.language, "Test");
    EXPECT_STREQ(GetText(TX_3a_spselect), "Solo");

    for (const char* name : {"Missing", "..\\Outside", "../Outside", ""}) {
        SCOPED_TRACE(name);
        std::strcpy(MutableSettings.language, "Test");
        EXPECT_EQ(LoadLanguage(name, true), 0);
        EXPECT_STREQ(MutableSettings.language, "");
        EXPECT_STREQ(GetText(TX_3a_spselect), "Single player");
    }

    std::strcpy(MutableSettings.language, "Test");
    SelectLanguage("english");
    EXPECT_STREQ(MutableSettings.language, "");
    EXPECT_EQ(LoadLanguage("ENGLISH", true), 1);
}

// Language files are written in the language's code page; a file converted
// by the system's iconv from UTF-8 loads byte for byte. The expected bytes
// are those of the published code page tables.
TEST_F(TextTableTest, CodePageFilesMadeWithIconvLoad)
{
    struct Case {
        const char* name;
        const char* codePage;
        const char* utf8;
        const char* langName;  // expected bytes
        const char* option;
        const char* laps;
        const char* header;    // display name in language lists
    };
    const Case cases[] = {
        {"Czech", "CP1250",
         "tx_codepage 1250\ntx_langname \xC4\x8C" "e\xC5\xA1tina\n"
         "3a_opselect Mo\xC5\xBEnosti\n3a_racexlap z\xC3\xA1vod %d kol\n",
         "\xC8" "e\x9Atina", "Mo\x9Enosti", "z\xE1vod %d kol", "^E\xC8" "e\x9Atina"},
        {"Japanese", "CP932",
         "tx_codepage 932\ntx_langname \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n"
         "3a_opselect \xE3\x82\xAA\xE3\x83\x97\xE3\x82\xB7\xE3\x83\xA7\xE3\x83\xB3\n"
         "3a_racexlap %d \xE5\x91\xA8\xE5\x9B\x9E\xE3\x82\xBD\n",
         "\x93\xFA\x96\x7B\x8C\xEA", "\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93",
         "%d \x8E\xFC\x89\xF1\x83\x5C", "^J\x93\xFA\x96\x7B\x8C\xEA"},
    };
    // The character map's pages by their Windows numbers, as the interface
    // finds them: Latin 1, Central Europe, Turkish, Baltic, Japanese, ...
    InterfaceHooks hooks;
    hooks.findCodePageByNumber = [](int number) {
        constexpr int PageNumbers[] = {1252, 1250, 1254, 1257, 932, 1251, 1253, 950, 936, 949};
        for (int page = 0; page < 10; ++page) {
            if (PageNumbers[page] == number)
                return page;
        }
        return -1;
    };
    SetInterfaceHooks(hooks);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.WriteFile("source.txt", c.utf8);
        std::string command = std::string("mkdir -p data/language && iconv -f UTF-8 -t ") + c.codePage +
                              " source.txt > data/language/" + c.name + ".txt";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;

        ResetTextTable();
        ASSERT_EQ(LoadLanguage(c.name, true), 1);
        EXPECT_STREQ(GetText(TX_tx_langname), c.langName);
        EXPECT_STREQ(GetText(TX_3a_opselect), c.option);
        EXPECT_STREQ(GetText(TX_3a_racexlap), c.laps);

        char display[32] = "unchanged";
        ReadLanguageHeader(c.name, display, sizeof display);
        EXPECT_STREQ(display, c.header);
    }
    char display[32] = "unchanged";
    ReadLanguageHeader("English", display, sizeof display);
    EXPECT_STREQ(display, "unchanged");
}

TEST_F(TextTableTest, SecondLanguageFollowsTheLoadedLanguage)
{
    WriteLanguage("Portuguese", "3a_spselect Um jogador\r\n");
    WriteLanguage("Deutsch", "3a_spselect Einzelspieler\r\n");
    ASSERT_EQ(LoadLanguage("portuguese", false), 1);
    EXPECT_STREQ(SecondLanguageName, "Brazilian");
    ASSERT_EQ(LoadLanguage("Deutsch", false), 1);
    EXPECT_STREQ(SecondLanguageName, "");
    EXPECT_EQ(FindLanguage("serbian"), 14);
    EXPECT_EQ(LanguageTable[14].secondLanguage, 17);
    EXPECT_EQ(FindLanguage("Klingon"), -1);
}

TEST_F(TextTableTest, EnglishFileHasCrLfLinesAndLoadsBack)
{
    folder.WriteFile("data/placeholder", "");
    ASSERT_EQ(WriteEnglishFile(), 1);
    std::string bytes = folder.ReadFile("data/language/English.txt");
    ASSERT_EQ(bytes.rfind("English.txt - Generated by Quorvan\r\n\r\n", 0), 0u);
    EXPECT_NE(bytes.find("\r\n3a_hlvcthis Lap-\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n3a_hostfull Host is full\r\n"), std::string::npos);
    size_t lines = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
            ++lines;
        }
    }
    EXPECT_EQ(lines, static_cast<size_t>(TextCount) + 2);

    // Loaded as a translation it gives every English text back, read from
    // the file.
    folder.WriteFile("data/language/Copy.txt", bytes);
    ASSERT_EQ(LoadLanguage("Copy", true), 1);
    for (int i = 0; i < TextCount; ++i) {
        TextId id = static_cast<TextId>(i);
        EXPECT_STREQ(GetText(id), TextTable[i].english) << TextTable[i].key;
        EXPECT_TRUE(PointsIntoLanguage(id)) << TextTable[i].key;
    }
    EXPECT_EQ(Log().find("LoadLanguage"), std::string::npos) << Log();
}

// The keys translators work from: every text the screens, reports and
// shared messages show, and the configuration names of the track sites.
std::vector<std::string> ReadReferenceKeys()
{
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/tests/core/data/text_keys.txt");
    std::vector<std::string> keys;
    for (std::string key; in >> key;)
        keys.push_back(key);
    return keys;
}

TEST_F(TextTableTest, TheEnglishFileListsEveryKeyOfTheReferenceOnce)
{
    const std::vector<std::string> keys = ReadReferenceKeys();
    ASSERT_EQ(keys.size(), 1586u);
    folder.WriteFile("data/placeholder", "");
    ASSERT_EQ(WriteEnglishFile(), 1);
    const std::string bytes = folder.ReadFile("data/language/English.txt");
    std::set<std::string> written;
    for (size_t at = bytes.find("\r\n\r\n") + 4; at < bytes.size(); at = bytes.find("\r\n", at) + 2)
        EXPECT_TRUE(written.insert(bytes.substr(at, TextKeyLength)).second) << bytes.substr(at, TextKeyLength);
    for (const std::string& key : keys)
        EXPECT_EQ(written.count(key), 1u) << key;
    EXPECT_EQ(Log().find("Duplicate"), std::string::npos) << Log();
}

// A translator may use every character up to the maximum: a file that
// translates every text at its longest loads whole, and one character more
// is refused for that text alone.
TEST_F(TextTableTest, ATranslationOfEveryTextAtItsLongestLoadsWhole)
{
    std::string file;
    std::vector<std::string> expected(TextCount);
    for (int i = 0; i < TextCount; ++i) {
        const TextEntry& entry = TextTable[i];
        const bool leadingBlank = entry.english[0] == ' ';
        std::string text = entry.english + (leadingBlank ? 1 : 0);
        text.resize(entry.maxLength - 1u - (leadingBlank ? 1u : 0u), 'x');
        expected[i] = (leadingBlank ? " " : "") + text;
        if (i == TX_3a_racexlap)
            text += 'x';  // one over the maximum
        file += std::string(entry.key) + " " + text + "\r\n";
    }
    WriteLanguage("Longest", file);
    ASSERT_EQ(LoadLanguage("Longest", true), 1);
    for (int i = 0; i < TextCount; ++i) {
        if (i != TX_3a_racexlap) {
            EXPECT_EQ(GetText(static_cast<TextId>(i)), expected[i]) << TextTable[i].key;
        }
    }
    EXPECT_STREQ(GetText(TX_3a_racexlap), TextTable[TX_3a_racexlap].english);
    const std::string log = Log();
    EXPECT_NE(log.find("Too long : 3a_racexlap (by 1)"), std::string::npos) << log;
    EXPECT_EQ(log.find("LoadLanguage : Too long"), log.rfind("LoadLanguage : Too long")) << log;
    EXPECT_EQ(log.find("Wrong format"), std::string::npos) << log;

    // A line longer than any entry takes is refused whole, not cut short.
    WriteLanguage("Longer", "3h_tip_pesc " + std::string(150, 'y') + "\r\n");
    ASSERT_EQ(LoadLanguage("Longer", true), 1);
    EXPECT_STREQ(GetText(TX_3h_tip_pesc), TextTable[TX_3h_tip_pesc].english);
    EXPECT_NE(Log().find("Too long : 3h_tip_pesc (by 31)"), std::string::npos) << Log();
}

TEST_F(TextTableTest, SharedMessagesByNumberAndByEnglishText)
{
    EXPECT_STREQ(GetMessageTextEnglish(34), "Race is full");
    EXPECT_STREQ(GetMessageText(0), "Host is full");
    // Numbers come from peers: every number gives a text, never null.
    for (int number : {-1, 9, 12, 23, 24, 28, 29, 30, 56, 255, 100000}) {
        SCOPED_TRACE(number);
        EXPECT_STREQ(GetMessageText(number), "");
        EXPECT_STREQ(GetMessageTextEnglish(number), "");
    }

    WriteLanguage("Test", "3a_racefull Course pleine\r\n");
    ASSERT_EQ(LoadLanguage("Test", false), 1);
    EXPECT_STREQ(GetMessageText(34), "Course pleine");
    EXPECT_STREQ(GetMessageTextEnglish(34), "Race is full");
    EXPECT_STREQ(GetText(TX_3a_racefull), "Course pleine");

    bool found = false;
    EXPECT_STREQ(FindMessageTranslation("Race is full", found), "Course pleine");
    EXPECT_TRUE(found);
    found = false;
    const char* lower = "race is full";
    EXPECT_EQ(FindMessageTranslation(lower, found), lower);
    EXPECT_FALSE(found);
    EXPECT_STREQ(TranslateMessageText("Host is full"), "Host is full");
}

} // namespace
