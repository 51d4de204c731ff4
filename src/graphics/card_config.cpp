// The card settings file "card_cfg.txt": the chosen adapter, the depth
// buffer class and the simple-track level, kept between runs.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/services.h"
#include "graphics/local.h"
#include "platform/files.h"

CardSettingsRecord MutableCardSettings;
const CardSettingsRecord& CardSettings = MutableCardSettings;

namespace {

constexpr const char* CardConfigFileName = "card_cfg.txt";

// The keys, each ending in its blank; only the names take part in the
// matching, the values are read below.
const ConfigKey CardKeys[] = {
    {"Adapter Select ", ConfigValueKind::Int, 0, 0, 0, 0, 0, 0, 7, 0, nullptr, {}},
    {"Adapter Name ", ConfigValueKind::Text, 0, 0, 511, 0, 0, 0, 0, 0, "", {}},
    {"ZBD Select ", ConfigValueKind::Int, 0, 0, 0, 0, -1, -1, 3, 0, nullptr, {}},
    {"Simple Track ", ConfigValueKind::Int, 0, 0, 0, 0, 0, 0, 2, 0, nullptr, {}},
};
constexpr int CardKeyCount = 4;
constexpr int AdapterNameLength = 512;

} // namespace

void SetCardSettings(const CardSettingsRecord& settings) { MutableCardSettings = settings; }

void LoadCardConfig()
{
    MutableCardSettings = CardSettingsRecord{};
    std::string text;
    if (!platform::ReadTextFile(CardConfigFileName, text))
        return;
    TextCursor cursor{text.data(), text.size(), 0};
    char window[KeyWindowSize] = {};
    for (int c = cursor.Get(); c != -1; c = cursor.Get()) {
        std::memmove(window + 1, window, KeyWindowSize - 1);
        window[0] = static_cast<char>(c);
        switch (MatchKeySuffix(window, CardKeys, CardKeyCount)) {
        case 0: ScanIntClamped(cursor, MutableCardSettings.adapterIndex, 0, 7); break;
        case 1: {
            char name[AdapterNameLength];
            ReadTextLine(cursor, name, AdapterNameLength);
            break;
        }
        case 2: ScanIntClamped(cursor, MutableCardSettings.depthClass, -1, 3); break;
        case 3: ScanIntClamped(cursor, MutableCardSettings.simpleTrack, 0, 2); break;
        default: break;
        }
    }
}

int SaveCardConfig()
{
    const char* adapterName = MutableAdapterTable.count > 0 ? GetCurrentAdapter()->description : "";
    char line[AdapterNameLength + 32];
    std::string text;
    std::snprintf(line, sizeof line, "Adapter Select %d\n", MutableCardSettings.adapterIndex);
    text += line;
    std::snprintf(line, sizeof line, "Adapter Name %s\n", adapterName);
    text += line;
    std::snprintf(line, sizeof line, "ZBD Select %d\n", MutableCardSettings.depthClass);
    text += line;
    std::snprintf(line, sizeof line, "Simple Track %d\n", MutableCardSettings.simpleTrack);
    text += line;
    std::string bytes = platform::TextWithCrLf(text);
    if (!platform::WriteWholeFile(CardConfigFileName, bytes.data(), bytes.size())) {
        LogPrintf("SaveCardConfig : could not save : %s", CardConfigFileName);
        return 0;
    }
    return 1;
}
