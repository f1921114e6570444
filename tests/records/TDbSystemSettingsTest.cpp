#include "RecordsFixture.h"
#include "records/TDbSystemSettings.h"

using TDbSystemSettingsTest = RecordsFixture;

// Names are keys stored upper-cased: saving a name again, in any case,
// overwrites its row in place.
TEST_F(TDbSystemSettingsTest, SavingANameAgainInAnyCaseOverwritesItsRow) {
    TDbSystemSettings settings;
    ASSERT_NE(nullptr, settings.Save("Default_Mode", "CW"));
    ASSERT_NE(nullptr, settings.Save("Default_Power", "100"));
    ASSERT_NE(nullptr, settings.Save("DEFAULT_MODE", "SSB"));
    int32_t deleted = -1;
    EXPECT_EQ(2, LiveRows("SYSTEM_SETTINGS", &deleted));
    EXPECT_EQ(0, deleted);
    settings.Load("Default_Mode", "Default_Mode");
    ASSERT_EQ(1u, settings.Settings.size());
    EXPECT_EQ("SSB", settings.Settings[0]->Value);
    EXPECT_EQ("DEFAULT_MODE", settings.Settings[0]->Name);
    ExpectSound();

    EXPECT_EQ(nullptr, settings.Save("   ", "x"));  // a blank name could never be read back
    DropTable("SYSTEM_SETTINGS");
    EXPECT_EQ(nullptr, settings.Save("StnSetting1", "x"));
}
