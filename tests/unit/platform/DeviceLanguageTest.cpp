#include "platform/devices/DeviceLanguage.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The variables the device language depends on, cleared for a test and restored afterwards.
struct ScopedLanguageEnvironment {
    testenv::ScopedEnv own { "OSTRILAN_LANG", nullptr }, all { "LC_ALL", nullptr },
        messages { "LC_MESSAGES", nullptr }, lang { "LANG", nullptr };
    void Set(const char* name, const char* value) { ::setenv(name, value, 1); }
};

}

TEST(DeviceLanguage, LocaleVariablesInPosixOrderAndAnOverrideOfDecimalOrHexIdentifiers)
{
    ScopedLanguageEnvironment env;
    EXPECT_EQ(DeviceLanguage::Current(), 0x0409);
    // Each step on top of the ones before; an empty variable counts as not set.
    const struct {
        const char* name;
        const char* value;
        LANGID id;
    } steps[] = { { "LANG", "da_DK.UTF-8", 0x0406 }, { "LC_MESSAGES", "fi_FI.UTF-8", 0x040B },
        { "LC_ALL", "it_IT.UTF-8", 0x0410 }, { "LC_ALL", "", 0x040B }, { "OSTRILAN_LANG", "2070", 0x0816 },
        { "OSTRILAN_LANG", "0x0809", 0x0809 }, { "OSTRILAN_LANG", "0X40c", 0x040C } };
    for (const auto& step : steps) {
        env.Set(step.name, step.value);
        EXPECT_EQ(DeviceLanguage::Current(), step.id) << step.name << "=" << step.value;
    }
    // Anything that is not an identifier is ignored and the locale decides.
    for (const char* bad : { "", "german", "0x", "0x10000", "65536", "12a", "-1", " 1031", "0x0407 " }) {
        env.Set("OSTRILAN_LANG", bad);
        EXPECT_EQ(DeviceLanguage::Current(), 0x040B) << "'" << bad << "'";
    }
}

TEST(DeviceLanguage, LocaleMapsToIdentifier)
{
    // Regions, encodings and modifiers, any case, a language alone, and no language at all.
    const std::pair<const char*, LANGID> cases[] = { { "de_DE.UTF-8", 0x0407 }, { "de_AT", 0x0C07 },
        { "pt_PT.UTF-8@euro", 0x0816 }, { "sv", 0x041D }, { "DE_de", 0x0407 }, { "C.UTF-8", 0x0409 },
        { "xx_YY", 0x0409 }, { "_", 0x0409 }, { "@", 0x0409 } };
    for (const auto& [locale, id] : cases)
        EXPECT_EQ(DeviceLanguage::FromLocale(locale), id) << locale;
}
