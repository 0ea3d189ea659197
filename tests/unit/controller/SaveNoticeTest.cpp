#include "controller/SaveNotice.h"
#include "platform/core/Text.h"
#include "platform/devices/LanguageLibrary.h"

#include <gtest/gtest.h>

// Only the first failure in a row is shown, in the catalog's language; the settings have a notice
// of their own: a failing history does not silence it, nor it the history.
TEST(SaveNotice, OnlyTheFirstFailureInARowIsShownAndSettingsAreToldApartFromCalls)
{
    using Text = std::optional<WString>;
    std::unique_ptr<LanguageLibrary> german = LanguageLibrary::GetInstance();
    ASSERT_TRUE(german->Open(Widen(OSTRILAN_TEST_APP_DIR "/lang/lang_ger.bin")));
    SaveNotice notice, settings(SaveNotice::Kind::Settings);
    EXPECT_EQ(notice.Report(true, "MissedCall.dat", german.get()), std::nullopt);
    EXPECT_EQ(notice.Report(false, "MissedCall.dat", german.get()), Text(u"Anrufe nicht gespeichert"));
    EXPECT_EQ(notice.Report(false, "LastCall.dat", german.get()), std::nullopt);
    EXPECT_EQ(settings.Report(false, "PrefData.dat", german.get()), Text(u"Einstellungen nicht gespeichert"));
    EXPECT_EQ(settings.Report(false, "PairData.dat", german.get()), std::nullopt);
    EXPECT_EQ(notice.Report(false, "MissedCall.dat", german.get()), std::nullopt);
    EXPECT_EQ(notice.Report(true, "MissedCall.dat", german.get()), std::nullopt);
    EXPECT_EQ(settings.Report(true, "PrefData.dat", nullptr), std::nullopt);
    // Failing again after a good save is news again; without a catalog the text is English.
    EXPECT_EQ(notice.Report(false, "MissedCall.dat", nullptr), Text(u"Calls could not be saved"));
    EXPECT_EQ(settings.Report(false, "PrefData.dat", nullptr), Text(u"Settings could not be saved"));
}
