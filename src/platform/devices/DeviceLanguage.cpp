#include "platform/devices/DeviceLanguage.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace {

constexpr LANGID kSublangDefault = 0x0400;

struct PrimaryLanguage {
    std::string_view code;
    LANGID primary;
};

// ISO 639-1 code to primary language number.
constexpr PrimaryLanguage kPrimary[] = {
    { "ar", 0x01 }, { "bg", 0x02 }, { "ca", 0x03 }, { "zh", 0x04 }, { "cs", 0x05 }, { "da", 0x06 },
    { "de", 0x07 }, { "el", 0x08 }, { "en", 0x09 }, { "es", 0x0A }, { "fi", 0x0B }, { "fr", 0x0C },
    { "he", 0x0D }, { "hu", 0x0E }, { "is", 0x0F }, { "it", 0x10 }, { "ja", 0x11 }, { "ko", 0x12 },
    { "nl", 0x13 }, { "nb", 0x14 }, { "no", 0x14 }, { "nn", 0x14 }, { "pl", 0x15 }, { "pt", 0x16 },
    { "ro", 0x18 }, { "ru", 0x19 }, { "hr", 0x1A }, { "sk", 0x1B }, { "sq", 0x1C }, { "sv", 0x1D },
    { "th", 0x1E }, { "tr", 0x1F }, { "id", 0x21 }, { "uk", 0x22 }, { "be", 0x23 }, { "sl", 0x24 },
    { "et", 0x25 }, { "lv", 0x26 }, { "lt", 0x27 }, { "fa", 0x29 }, { "vi", 0x2A }, { "eu", 0x2D },
    { "mk", 0x2F }, { "af", 0x36 }, { "hi", 0x39 }, { "mt", 0x3A }, { "ga", 0x3C }, { "ms", 0x3E },
    { "cy", 0x52 }, { "gl", 0x56 },
};

struct RegionalLanguage {
    std::string_view locale;
    LANGID id;
};

// Regions whose sublanguage is not the default one.
constexpr RegionalLanguage kRegional[] = {
    { "de_CH", 0x0807 }, { "de_AT", 0x0C07 }, { "de_LU", 0x1007 }, { "de_LI", 0x1407 },
    { "en_GB", 0x0809 }, { "en_AU", 0x0C09 }, { "en_CA", 0x1009 }, { "en_NZ", 0x1409 },
    { "en_IE", 0x1809 }, { "en_ZA", 0x1C09 }, { "en_IN", 0x4009 }, { "en_SG", 0x4809 },
    // Spain keeps 0x040A rather than the newer 0x0C0A: the device's catalogs know only 0x040A.
    { "es_MX", 0x080A }, { "es_AR", 0x2C0A }, { "es_CO", 0x240A }, { "es_CL", 0x340A },
    { "es_US", 0x540A }, { "fr_BE", 0x080C }, { "fr_CA", 0x0C0C }, { "fr_CH", 0x100C },
    { "fr_LU", 0x140C }, { "it_CH", 0x0810 }, { "nl_BE", 0x0813 }, { "nn_NO", 0x0814 },
    { "pt_PT", 0x0816 }, { "ro_MD", 0x0818 }, { "ru_MD", 0x0819 }, { "sv_FI", 0x081D },
    { "zh_CN", 0x0804 }, { "zh_HK", 0x0C04 }, { "zh_SG", 0x1004 }, { "zh_TW", 0x0404 },
};

std::string_view EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

}

LANGID DeviceLanguage::Current()
{
    if (auto id = ParseIdentifier(EnvironmentValue("OSTRILAN_LANG")))
        return *id;
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        std::string_view value = EnvironmentValue(name);
        if (!value.empty())
            return FromLocale(value);
    }
    return kDefault;
}

std::optional<LANGID> DeviceLanguage::ParseIdentifier(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // Five hex or decimal digits are the most a 16-bit value needs; more is never an identifier.
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * uint32_t(base) + uint32_t(digit);
    }
    if (value > 0xFFFF)
        return std::nullopt;
    return LANGID(value);
}

LANGID DeviceLanguage::FromLocale(std::string_view locale)
{
    // language[_territory][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    size_t split = locale.find_first_of("_-");
    std::string language;
    for (char c : locale.substr(0, split))
        language += char(std::tolower(static_cast<unsigned char>(c)));
    std::string region;
    if (split != std::string_view::npos) {
        for (char c : locale.substr(split + 1))
            region += char(std::toupper(static_cast<unsigned char>(c)));
    }

    std::string key = language + "_" + region;
    for (const auto& entry : kRegional) {
        if (entry.locale == key)
            return entry.id;
    }
    for (const auto& entry : kPrimary) {
        if (entry.code == language)
            return LANGID(kSublangDefault | entry.primary);
    }
    return kDefault;
}
