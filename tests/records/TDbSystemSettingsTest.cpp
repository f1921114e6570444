#include <gtest/gtest.h>

#include "RecordsFixture.h"
#include "records/TDbSystemSettings.h"

namespace {

using TDbSystemSettingsTest = RecordsFixture;

TEST_F(TDbSystemSettingsTest, SavingANameAgainOverwritesItsRowInPlace) {
    TDbSystemSettings settings;
    settings.Load("Default_Mode", "Default_Mode");
    EXPECT_TRUE(settings.Settings.empty());

    ASSERT_NE(nullptr, settings.Save("Default_Mode", "CW"));
    ASSERT_NE(nullptr, settings.Save("Default_Power", "100"));
    ASSERT_NE(nullptr, settings.Save("Default_Mode", "SSB"));
    EXPECT_EQ(2, LiveRows("SYSTEM_SETTINGS"));

    settings.Load("Default_Mode", "Default_Mode");
    ASSERT_EQ(1u, settings.Settings.size());
    EXPECT_EQ("SSB", settings.Settings[0]->Value);
    EXPECT_EQ("DEFAULT_MODE", settings.Settings[0]->Name);  // keys are stored upper-cased
    EXPECT_TRUE(DatabaseSound());
}

TEST_F(TDbSystemSettingsTest, NamesDifferingOnlyInCaseShareTheirRow) {
    TDbSystemSettings settings;
    ASSERT_NE(nullptr, settings.Save("UTCShift", "5"));
    settings.Load("UTCSHIFT", "UTCSHIFT");
    ASSERT_EQ(1u, settings.Settings.size());
    EXPECT_EQ("5", settings.Settings[0]->Value);

    ASSERT_NE(nullptr, settings.Save("UTCSHIFT", "-3"));
    int deleted = 0;
    EXPECT_EQ(1, LiveRows("SYSTEM_SETTINGS", &deleted));
    EXPECT_EQ(0, deleted);
    settings.Load("UTCShift", "UTCShift");
    ASSERT_EQ(1u, settings.Settings.size());
    EXPECT_EQ("-3", settings.Settings[0]->Value);
}

TEST_F(TDbSystemSettingsTest, BlankNameOrMissingTableWritesNothing) {
    TDbSystemSettings settings;
    EXPECT_EQ(nullptr, settings.Save("", "x"));
    EXPECT_EQ(nullptr, settings.Save("   ", "x"));
    EXPECT_EQ(0, LiveRows("SYSTEM_SETTINGS"));

    DropTable("SYSTEM_SETTINGS");
    EXPECT_EQ(nullptr, settings.Save("StnSetting1", "x"));
    settings.Load("StnSetting1", "StnSetting1");
    EXPECT_TRUE(settings.Settings.empty());
    EXPECT_EQ(nullptr, settings.Current);
}

}  // namespace
