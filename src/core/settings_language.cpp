// The user's language as a Windows language id, from the locale variables,
// for the default choice of language file.
#include "core/services.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Windows language ids are the primary language in the low 10 bits and the
// sub-language above them; sub-language 1 is a language's default.
constexpr int MakeLanguageId(int primary, int sub) { return primary | sub << 10; }
constexpr int EnglishUs = MakeLanguageId(0x09, 1);

struct LocaleLanguage {
    const char* code;  // ISO 639 code as the locale names it
    int primary;
};

// Primary ids of the languages the program has files for, and English.
constexpr LocaleLanguage LocaleLanguages[] = {
    {"de", 0x07}, {"pt", 0x16}, {"fr", 0x0C}, {"fi", 0x0B}, {"nb", 0x14}, {"nn", 0x14},
    {"no", 0x14}, {"nl", 0x13}, {"ca", 0x03}, {"tr", 0x1F}, {"es", 0x0A}, {"it", 0x10},
    {"da", 0x06}, {"cs", 0x05}, {"ru", 0x19}, {"et", 0x25}, {"sr", 0x1A}, {"el", 0x08},
    {"pl", 0x15}, {"hr", 0x1A}, {"hu", 0x0E}, {"sv", 0x1D}, {"sk", 0x1B}, {"gl", 0x56},
    {"sl", 0x24}, {"be", 0x23}, {"lv", 0x26}, {"lt", 0x27}, {"zh", 0x04}, {"ja", 0x11},
    {"ko", 0x12}, {"bg", 0x02}, {"en", 0x09},
};

struct LocaleVariant {
    const char* prefix;  // language, territory and modifier as the locale starts
    int sub;
};

// Sub-languages that tell variants of one primary language apart.
constexpr LocaleVariant LocaleVariants[] = {
    {"pt_BR", 1}, {"pt_PT", 2}, {"hr", 1}, {"sr_RS@latin", 2}, {"sr_ME@latin", 2},
    {"sr@latin", 2}, {"sr", 3}, {"zh_TW", 1}, {"zh_CN", 2}, {"zh_HK", 3}, {"zh_SG", 4},
    {"zh_MO", 5},
};

int OverriddenId = -1;

// The locale that names the language of messages, as the C library
// chooses it: LC_ALL, then LC_MESSAGES, then LANG.
const char* MessageLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != 0)
            return value;
    }
    return "";
}

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

} // namespace

int GetUserDefaultLanguageId()
{
    if (OverriddenId >= 0)
        return OverriddenId;
    const char* locale = MessageLocale();
    size_t codeLength = std::strcspn(locale, "_.@");
    for (const LocaleLanguage& language : LocaleLanguages) {
        if (std::strlen(language.code) != codeLength || std::strncmp(locale, language.code, codeLength) != 0)
            continue;
        // The variant is told by territory and modifier: the locale without
        // its encoding ("sr_RS.UTF-8@latin" is "sr_RS@latin").
        std::string_view text(locale);
        std::string variantName(text.substr(0, text.find_first_of(".@")));
        size_t modifier = text.find('@');
        if (modifier != std::string_view::npos)
            variantName += text.substr(modifier);
        int sub = 1;
        for (const LocaleVariant& variant : LocaleVariants) {
            if (StartsWith(variantName.c_str(), variant.prefix)) {
                sub = variant.sub;
                break;
            }
        }
        return MakeLanguageId(language.primary, sub);
    }
    return EnglishUs;
}

void OverrideUserLanguageId(int id)
{
    OverriddenId = id;
}
