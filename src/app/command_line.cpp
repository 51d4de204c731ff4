// The command line's options and the host configuration file: parsing,
// checking and applying each option, and the start mode they choose.
#include "app/local.h"
#include "app/services.h"
#include "core/services.h"
#include "net/services.h"
#include "platform/files.h"
#include "world/services.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

CommandLineRecord CommandLine;

const char* const OptionTable[OptionCount] = {
    "cfg",      "host",     "join",   "hlvc",     "kill",      "gamepass", "usemaster", "pass",
    "admin",    "ip",       "port",   "track",    "weather",   "cars",     "maxguests", "adminslots",
    "carsmax",  "carshost", "carsguest", "pps",   "qual",      "laps",     "hours",     "wind",
    "dedicated", "vote",    "select", "midrace",  "mustpit",   "canreset", "fcv",       "cruise",
    "rstmin",   "rstend",   "autokick", "start",  "insim",     "player",   "windowed",  "welcome",
    "tracks",   "log",      "ndebug", "autosave", "mprdir",    "lytdir",
};

const char* CommandLineText(const char* english)
{
    return english;
}

std::string JoinCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

int MakeDataFolder(const char* name)
{
    std::string folder = std::string("data\\") + name;
    std::string probe = folder + "\\file.fl";
    if (FILE* file = platform::OpenFile(probe, "wb")) {
        std::fclose(file);
        platform::RemoveFile(probe);
        return 0;
    }
    return platform::MakeFolder(folder) ? 0 : -1;
}

namespace {

// Option indexes, in OptionTable order.
enum Option {
    OptCfg, OptHost, OptJoin, OptHlvc, OptKill, OptGamePass, OptUseMaster, OptPass,
    OptAdmin, OptIp, OptPort, OptTrack, OptWeather, OptCars, OptMaxGuests, OptAdminSlots,
    OptCarsMax, OptCarsHost, OptCarsGuest, OptPps, OptQual, OptLaps, OptHours, OptWind,
    OptDedicated, OptVote, OptSelect, OptMidRace, OptMustPit, OptCanReset, OptFcv, OptCruise,
    OptRstMin, OptRstEnd, OptAutoKick, OptStart, OptInSim, OptPlayer, OptWindowed, OptWelcome,
    OptTracks, OptLog, OptNDebug, OptAutoSave, OptMprDir, OptLytDir,
};

// Names and values are read up to this many characters.
constexpr size_t MaxWordLength = 96;
// A host configuration file holds at most this many bytes.
constexpr size_t MaxConfigFileSize = 4096;
// Host configuration files may name further ones this deep.
constexpr size_t MaxConfigFileDepth = 16;

constexpr const char* NoYes[] = {"no", "yes"};
constexpr const char* UseMasterWords[] = {"no", "yes", "hidden"};
constexpr const char* DedicatedWords[] = {"no", "yes", "nogfx", "invisible"};
constexpr const char* AutoKickWords[] = {"no", "kick", "ban", "spec"};
constexpr const char* StartWords[] = {"fixed", "finish", "reverse", "random"};
// The "MP Flags" bit of each yes-or-no host option from "vote" to "cruise".
constexpr int HostFlagBits[] = {1, 2, 32, 64, 128, 256, 512};

// What the options choose, gathered while the line is read and put in
// place once it has been read (after an error the program ends anyway).
struct Choices {
    SettingsRecord settings = Settings;
    ProgramModeRecord mode = ProgramMode;
    DataPathRecord paths = DataPaths;
};

// A message that does not stop the program: the log and standard error.
void Notice(const char* text)
{
    LogLine(text);
    std::fprintf(stderr, "%s\n", text);
}

// Copies text into a field of size bytes, cut to fit.
void CopyField(char* field, size_t size, const char* text)
{
    size_t n = std::strlen(text);
    if (n >= size)
        n = size - 1;
    std::memcpy(field, text, n);
    field[n] = 0;
}

// A name that becomes part of a path: no character that file names cannot
// hold (separators included) and not a folder step.
bool IsPlainName(const char* text)
{
    if (std::strcmp(text, ".") == 0 || std::strcmp(text, "..") == 0)
        return false;
    for (const char* p = text; *p != 0; ++p) {
        if (CharToEscapeLetter(*p) != 0)
            return false;
    }
    return true;
}

// The folder name with every "%" doubled, for use inside a format.
std::string EscapePercent(const char* text)
{
    std::string out;
    for (const char* p = text; *p != 0; ++p) {
        if (*p == '%')
            out += '%';
        out += *p;
    }
    return out;
}

// The host configuration files being read, outermost first. A file that
// names one of them again would be read without end, so it is refused.
struct ConfigFileChain {
    struct Link {
        std::string name;
        dev_t device = 0;
        ino_t inode = 0;
    };
    std::vector<Link> links;

    // The chain's names and then the given one, joined by " > ".
    std::string Describe(const std::string& last) const
    {
        std::string text;
        for (const Link& link : links)
            text += link.name + " > ";
        return text + last;
    }
};

class OptionParser {
public:
    OptionParser(ConfigFileChain& chain, Choices& choices) : chain_(chain), choices_(choices) {}

    // Reads options from text, which starts just after an option's "/";
    // the first option read has the given number. Returns false on error.
    bool Parse(const char* text, size_t size, int firstNumber)
    {
        text_ = text;
        size_ = size;
        position_ = 0;
        number_ = firstNumber;
        bool first = true;
        for (;;) {
            SkipComments();
            if (position_ >= size_)
                return true;
            std::string name;
            int ended = ReadName(name);
            int option = FindInList(name.c_str(), OptionTable, OptionCount);
            if (ended == '=' ? option < 0 : option != OptKill)
                return Fail(CommandLineText("Parameter %d is invalid"), number_);
            if (option < StartOptionCount && !first)
                return Fail("%s", CommandLineText("Too many start parameters"));
            if (first && option >= StartOptionCount && option != OptInSim && option != OptPlayer)
                return Fail("%s", CommandLineText("Info parameter before start parameter"));
            first = false;
            if (option == OptKill) {
                choices_.mode.startMode = 6;
                return true;
            }
            std::string value;
            if (!ReadValue(value))
                return Fail(CommandLineText("Parameter %d is too long"), number_);
            if (value.empty() && option != OptPass && option != OptAdmin)
                return Fail(CommandLineText("Parameter %d contains no info"), number_);
            if (option == OptCfg)
                return ReadConfigFile(value);
            if (!Apply(option, value))
                return false;
            if (position_ < size_)
                ++position_;  // the "/" that ended the value
            ++number_;
        }
    }

private:
    // Sets the error: start mode 0 and the text, formatted. Returns false.
    bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(CommandLine.error, sizeof CommandLine.error, format, arguments);
        va_end(arguments);
        choices_.mode.startMode = 0;
        return false;
    }

    int Peek() const { return position_ < size_ ? static_cast<unsigned char>(text_[position_]) : -1; }

    // A "/" where an option would begin starts a comment: the rest of its
    // line, up to the next "/", which is passed.
    void SkipComments()
    {
        while (Peek() == '/') {
            while (Peek() != -1 && Peek() != '\n' && Peek() != '\r')
                ++position_;
            while (Peek() != -1 && Peek() != '/')
                ++position_;
            if (Peek() == '/')
                ++position_;
        }
    }

    // Collects an option name up to "=" or "/"; returns the character that
    // ended it, or -1 at the end of the text or when it grows too long.
    int ReadName(std::string& name)
    {
        for (;;) {
            int c = Peek();
            if (c == -1)
                return -1;
            ++position_;
            if (c == '=' || c == '/')
                return c;
            if (c < 32)
                continue;
            if (name.size() + 1 >= MaxWordLength)
                return -1;
            name += static_cast<char>(c);
        }
    }

    // Collects the value up to "/" or the end (characters below 32 left
    // out, trailing blanks removed); false when it grows too long.
    bool ReadValue(std::string& value)
    {
        while (Peek() != -1 && Peek() != '/') {
            int c = Peek();
            ++position_;
            if (c < 32)
                continue;
            if (value.size() + 1 >= MaxWordLength)
                return false;
            value += static_cast<char>(c);
        }
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        return true;
    }

    // The host configuration file takes the place of the rest of the line.
    bool ReadConfigFile(const std::string& fileName)
    {
        if (fileName.size() > 31)
            return Fail("%s", CommandLineText("Config file name is too long"));
        struct stat status {};
        if (!platform::FileExists(fileName) || stat(platform::NativePath(fileName).c_str(), &status) != 0)
            return Fail(CommandLineText("Config file not found : %s"), fileName.c_str());
        for (const ConfigFileChain::Link& link : chain_.links) {
            if (link.device == status.st_dev && link.inode == status.st_ino)
                return Fail(CommandLineText("Config files form a loop : %s"), chain_.Describe(fileName).c_str());
        }
        if (chain_.links.size() >= MaxConfigFileDepth)
            return Fail(CommandLineText("Config files nest too deep : %s"), chain_.Describe(fileName).c_str());
        // The size is checked before reading, so that no file is read whole
        // only to be refused.
        std::string contents;
        if (platform::FileSize(fileName) > static_cast<int64_t>(MaxConfigFileSize))
            return Fail("%s", CommandLineText("Config file is too long"));
        if (!platform::ReadTextFile(fileName, contents))
            return Fail(CommandLineText("Config file not found : %s"), fileName.c_str());
        if (contents.size() > MaxConfigFileSize)
            return Fail("%s", CommandLineText("Config file is too long"));
        if (contents.empty())
            return Fail("%s", CommandLineText("Config file is empty"));
        if (contents[0] != '/')
            return Fail("%s", CommandLineText("Config file is not valid"));
        chain_.links.push_back({fileName, status.st_dev, status.st_ino});
        OptionParser fileParser(chain_, choices_);
        bool read = fileParser.Parse(contents.data() + 1, contents.size() - 1, number_);
        chain_.links.pop_back();
        return read;
    }

    // Reads a number and checks its range; false (with the error) outside it.
    bool Number(const std::string& value, int min, int max, const char* optionName, int& out)
    {
        out = ParseInt(value.c_str());
        if (out < min || out > max)
            return Fail(CommandLineText("Out of bounds : %s"), optionName);
        return true;
    }

    // One of the host options as Number reads it.
    bool HostNumber(const std::string& value, int min, int max, const char* optionName, int HostOptionsRecord::*field)
    {
        HostOptionsRecord options = HostOptions;
        const bool inBounds = Number(value, min, max, optionName, options.*field);
        SetHostOptions(options);
        return inBounds;
    }

    // Changes the host options through the multiplayer layer's setter.
    template <typename Change>
    static void ChangeHostOptions(Change change)
    {
        HostOptionsRecord options = HostOptions;
        change(options);
        SetHostOptions(options);
    }

    // A word of the option's list; false (with the error) when absent.
    bool Word(const std::string& value, const char* const* words, int count, const char* optionName, int& out)
    {
        out = FindInList(value.c_str(), words, count);
        if (out < 0)
            return Fail(CommandLineText("Unknown %s option"), optionName);
        return true;
    }

    // A text of at most length characters; false with the error text otherwise.
    bool Short(const std::string& value, size_t length, const char* error)
    {
        if (value.size() > length)
            return Fail("%s", CommandLineText(error));
        return true;
    }

    bool ApplyTrack(const std::string& value)
    {
        SettingsRecord& settings = choices_.settings;
        if (value.size() < 3 || value.size() > 4)
            return Fail("%s", CommandLineText("Unknown track"));
        int site = -1;
        for (int i = 0; i < SiteCount; ++i) {
            const char* code = SiteTable[i].code;
            if (AsciiToUpper(value[0]) == code[0] && AsciiToUpper(value[1]) == code[1])
                site = i;
        }
        bool reversed = value.size() == 4 && AsciiToUpper(value[3]) == 'R';
        if (site < 0 || (value.size() == 4 && !reversed))
            return Fail("%s", CommandLineText("Unknown track"));
        int config = value[2] - '0';
        if (config < 1 || config > SiteTable[site].configCount)
            return Fail("%s", CommandLineText("Unknown track config"));
        CopyField(settings.mapName, sizeof settings.mapName, SiteTable[site].name);
        settings.config = config;
        settings.flip = reversed && SiteTable[site].mapPathFlags[config - 1] ? 1 : 0;
        return true;
    }

    // A folder under "data" for replays or layouts: a plain name that the
    // data folder can hold.
    bool DataFolderOption(const std::string& value, const char* tooLong, const char* notCreated)
    {
        if (!Short(value, 15, tooLong))
            return false;
        if (!IsPlainName(value.c_str()))
            return Fail(CommandLineText("Parameter %d is invalid"), number_);
        if (MakeDataFolder(value.c_str()) != 0)
            return Fail("%s", CommandLineText(notCreated));
        return true;
    }

    // One option, by its group.
    bool Apply(int option, const std::string& value)
    {
        if (option < OptTrack)
            return ApplyConnectionOption(option, value);
        if (option < OptDedicated)
            return ApplyRaceOption(option, value);
        if (option < OptInSim)
            return ApplyHostRuleOption(option, value);
        return ApplyProgramOption(option, value);
    }

    // The start options and how this copy connects: host, join, replay check,
    // passwords, the master server, the address and the port.
    bool ApplyConnectionOption(int option, const std::string& value)
    {
        SettingsRecord& settings = choices_.settings;
        ProgramModeRecord& mode = choices_.mode;
        const char* name = OptionTable[option];
        const char* text = value.c_str();
        int n = 0;
        switch (option) {
        case OptHost:
            mode.startMode = 2;
            if (value.size() > 31)
                Notice(CommandLineText("Host name truncated to 31 chars"));
            CopyField(settings.gameName, sizeof settings.gameName, text);
            settings.gamePass[0] = 0;
            settings.mpRules = 0xFFFFF;
            ChangeHostOptions([](HostOptionsRecord& options) { options.raceCarsMask = 0xFFFFF; });
            return true;
        case OptJoin:
            if (!Short(value, 31, "Host name is too long"))
                return false;
            mode.startMode = 3;
            CopyField(settings.serverName, sizeof settings.serverName, text);
            settings.serverPass[0] = 0;
            settings.addressName = 1;
            return true;
        case OptHlvc:
            if (!Short(value, ReplayNameLength, "Replay name is too long"))
                return false;
            if (!IsPlainName(text))
                return Fail(CommandLineText("Parameter %d is invalid"), number_);
            mode.startMode = 4;
            CopyField(CommandLine.replayToOpen, sizeof CommandLine.replayToOpen, text);
            mode.graphicsOn = 0;
            return true;
        case OptGamePass:
            if (!Short(value, 23, "Game password is too long"))
                return false;
            ChangeHostOptions([&](HostOptionsRecord& options) {
                CopyField(options.accountPassword, sizeof options.accountPassword, text);
            });
            return true;
        case OptUseMaster:
            if (!Word(value, UseMasterWords, 3, name, n))
                return false;
            settings.connToMaster = n;
            return true;
        case OptPass:
        case OptAdmin:
            if (!Short(value, 15, option == OptPass ? "Password is too long" : "Admin password is too long"))
                return false;
            if (mode.startMode == 3)
                CopyField(settings.serverPass, sizeof settings.serverPass, text);
            else if (option == OptPass)
                CopyField(settings.gamePass, sizeof settings.gamePass, text);
            else
                CopyField(settings.gameAdmin, sizeof settings.gameAdmin, text);
            return true;
        case OptIp:
            if (!Short(value, 15, "IP address is too long"))
                return false;
            CopyField(settings.gameIp, sizeof settings.gameIp, text);
            return true;
        case OptPort:
            if (!Short(value, 5, "Port is too long"))
                return false;
            CopyField(settings.gamePort, sizeof settings.gamePort, text);
            return true;
        default:
            return Fail(CommandLineText("Parameter %d is invalid"), number_);
        }
    }

    // The race a host offers: track, weather, cars, places and its length.
    bool ApplyRaceOption(int option, const std::string& value)
    {
        SettingsRecord& settings = choices_.settings;
        const char* name = OptionTable[option];
        const char* text = value.c_str();
        int n = 0;
        switch (option) {
        case OptTrack:
            return ApplyTrack(value);
        case OptWeather:
            if (!Number(value, 1, 4, name, n))
                return false;
            settings.lighting = n - 1;
            return true;
        case OptCars: {
            uint32_t mask = 0;
            if (!ParseCarList(text, mask))
                return Fail("%s", CommandLineText("Invalid cars option"));
            settings.mpRules = static_cast<int>(mask);
            ChangeHostOptions([&](HostOptionsRecord& options) { options.raceCarsMask = mask; });
            return true;
        }
        case OptMaxGuests:
            if (!Number(value, 1, 47, name, n))
                return false;
            settings.maxConns = n + 1;
            if (settings.adminSlots > n - 1)
                settings.adminSlots = n - 1;
            return true;
        case OptAdminSlots:
            if (!Number(value, 0, 8, name, n))
                return false;
            settings.adminSlots = n < settings.maxConns - 2 ? n : settings.maxConns - 2;
            return true;
        case OptCarsMax:
            return Number(value, 1, 32, name, settings.carsInRace);
        case OptCarsHost:
            return Number(value, 0, 3, name, settings.carsPerHost);
        case OptCarsGuest:
            return Number(value, 0, 3, name, settings.carsPerGuest);
        case OptPps:
            return Number(value, 3, 12, name, settings.packsPerSec);
        case OptQual:
            return HostNumber(value, 0, 60, name, &HostOptionsRecord::qualifyMinutes);
        case OptLaps:
            if (!Number(value, 0, 1000, name, n))
                return false;
            // Above 100 laps the code counts tens, so the laps shown are a
            // multiple of 10.
            ChangeHostOptions([&](HostOptionsRecord& options) { options.raceLengthCode = n <= 100 ? n : 100 + (n - 100) / 10; });
            return true;
        case OptHours:
            if (!Number(value, 1, 48, name, n))
                return false;
            ChangeHostOptions([&](HostOptionsRecord& options) { options.raceLengthCode = 190 + n; });
            return true;
        case OptWind:
            return HostNumber(value, 0, 2, name, &HostOptionsRecord::windLevel);
        default:
            return Fail(CommandLineText("Parameter %d is invalid"), number_);
        }
    }

    // How a host runs: dedicated or not, what guests may do, restarts, kicks
    // and the start order.
    bool ApplyHostRuleOption(int option, const std::string& value)
    {
        SettingsRecord& settings = choices_.settings;
        ProgramModeRecord& mode = choices_.mode;
        const char* name = OptionTable[option];
        int n = 0;
        switch (option) {
        case OptDedicated:
            if (!Word(value, DedicatedWords, 4, name, n))
                return false;
            mode.dedicatedMode = n;
            if (n >= 2)
                mode.graphicsOn = 0;
            return true;
        case OptVote:
        case OptSelect:
        case OptMidRace:
        case OptMustPit:
        case OptCanReset:
        case OptFcv:
        case OptCruise: {
            if (!Word(value, NoYes, 2, name, n))
                return false;
            int bit = HostFlagBits[option - OptVote];
            settings.mpFlags = n ? (settings.mpFlags | bit) : (settings.mpFlags & ~bit);
            return true;
        }
        case OptRstMin:
            return HostNumber(value, 0, 300, name, &HostOptionsRecord::restartMinSeconds);
        case OptRstEnd:
            return HostNumber(value, 0, 300, name, &HostOptionsRecord::restartEndSeconds);
        case OptAutoKick:
            return Word(value, AutoKickWords, 4, name, settings.autoKick);
        case OptStart:
            return Word(value, StartWords, 4, name, settings.raceStart);
        default:
            return Fail(CommandLineText("Parameter %d is invalid"), number_);
        }
    }

    // The program's own options: InSim, the player, the window, the welcome
    // and track files, the log, network debugging, saving and data folders.
    bool ApplyProgramOption(int option, const std::string& value)
    {
        SettingsRecord& settings = choices_.settings;
        ProgramModeRecord& mode = choices_.mode;
        DataPathRecord& paths = choices_.paths;
        const char* name = OptionTable[option];
        const char* text = value.c_str();
        int n = 0;
        switch (option) {
        case OptInSim:
            n = ParseInt(text);
            if (n < 0 || n > 65535)
                return Fail("%s", CommandLineText("InSim port out of bounds"));
            ChangeHostOptions([&](HostOptionsRecord& options) {
                std::snprintf(options.inSimPortText, sizeof options.inSimPortText, "%d", n);
            });
            return true;
        case OptPlayer: {
            // The name names the profile file: characters that file names
            // cannot hold are left out.
            std::string player = value;
            RemoveFileNameSpecials(player.data());
            player.resize(std::strlen(player.c_str()));
            if (player.size() > 23)
                Notice(CommandLineText("Player name truncated to 23 chars"));
            CopyField(settings.plyName, sizeof settings.plyName, player.c_str());
            return true;
        }
        case OptWindowed:
            return Word(value, NoYes, 2, name, settings.startWindowed);
        case OptWelcome:
            if (!Short(value, 31, "Welcome filename is too long"))
                return false;
            if (!platform::FileExists(value) || !LoadWelcomeText(text))
                return Fail("%s", CommandLineText("Welcome file not found"));
            return true;
        case OptTracks:
            if (!Short(value, 31, "Tracks filename is too long"))
                return false;
            if (!platform::FileExists(value))
                return Fail("%s", CommandLineText("Tracks file not found"));
            ChangeHostOptions([&](HostOptionsRecord& options) {
                CopyField(options.tracksFileName, sizeof options.tracksFileName, text);
            });
            return true;
        case OptLog: {
            if (!Short(value, 31, "Log filename is too long"))
                return false;
            // The named file becomes this copy's log only when that destroys
            // nothing of the user's: the reason goes with the message.
            std::string refused = UseDebugLogFile(value);
            if (!refused.empty())
                return Fail("%s : %s", CommandLineText("Log file error"), refused.c_str());
            LogVersion();
            return true;
        }
        case OptNDebug:
            return Word(value, NoYes, 2, name, mode.networkDebug);
        case OptAutoSave:
            return Number(value, 0, 2, name, settings.mprAutoSave);
        case OptMprDir: {
            if (!DataFolderOption(value, "MPR folder name is too long", "Could not create the MPR folder"))
                return false;
            std::string folder = EscapePercent(text);
            std::snprintf(paths.mprFile, sizeof paths.mprFile, "data\\%s\\%%s.mpr", folder.c_str());
            std::snprintf(paths.mprSearch, sizeof paths.mprSearch, "data\\%s\\*.mpr", text);
            return true;
        }
        case OptLytDir: {
            if (!DataFolderOption(value, "LYT folder name is too long", "Could not create the LYT folder"))
                return false;
            std::string folder = EscapePercent(text);
            std::snprintf(paths.layoutFile, sizeof paths.layoutFile, "data\\%s\\%%s.lyt", folder.c_str());
            std::snprintf(paths.layoutSearch, sizeof paths.layoutSearch, "data\\%s\\%%s_*.lyt",
                          folder.c_str());
            return true;
        }
        default:
            return Fail(CommandLineText("Parameter %d is invalid"), number_);
        }
    }

    ConfigFileChain& chain_;
    Choices& choices_;
    const char* text_ = "";
    size_t size_ = 0;
    size_t position_ = 0;
    int number_ = 1;
};

} // namespace

void ParseCommandLine(const char* commandLine)
{
    if (commandLine == nullptr || commandLine[0] == 0)
        return;
    if (commandLine[0] != '/') {
        std::snprintf(CommandLine.error, sizeof CommandLine.error, "%s", CommandLineText("Invalid command line"));
        SetStartMode(0);
        return;
    }
    Choices choices;
    ConfigFileChain chain;
    OptionParser parser(chain, choices);
    bool read = parser.Parse(commandLine + 1, std::strlen(commandLine) - 1, 1);
    // Through the master server a host sends at most 6 positions a second.
    if (read && choices.settings.connToMaster != 0 && choices.settings.packsPerSec > 6)
        choices.settings.packsPerSec = 6;
    SetSettings(choices.settings);
    SetProgramMode(choices.mode);
    SetDataPaths(choices.paths);
    if (read && ParseInt(HostOptions.inSimPortText) != 0)
        OpenInSim();
}
