#include "controller/SaveNotice.h"
#include "platform/core/Text.h"
#include "platform/devices/LanguageLibrary.h"

#include <gtest/gtest.h>

// Through the application:
// CallControlTest.FailedHistorySavesAreShownOnceAndTheNextGoodSaveWritesEveryCall.
TEST(SaveNotice, OnlyTheFirstFailureInARowIsShownAndSettingsAreToldApartFromCalls)
{
    using Text = std::optional<WString>;
    std::unique_ptr<LanguageLibrary> german = LanguageLibrary::GetInstance();
    ASSERT_TRUE(german->Open(Widen(OSTRILAN_TEST_APP_DIR "/lang/lang_ger.bin")));
    SaveNotice notice, settings(SaveNotice::Kind::Settings);
    EXPECT_EQ(notice.Report(false, "MissedCall.dat", german.get()), Text(u"Anrufe nicht gespeichert"));
    EXPECT_EQ(notice.Report(false, "LastCall.dat", german.get()), std::nullopt);
    EXPECT_EQ(settings.Report(false, "PrefData.dat", german.get()), Text(u"Einstellungen nicht gespeichert"));
    EXPECT_EQ(settings.Report(false, "PairData.dat", german.get()), std::nullopt);
}
