// tramb-db setting: reads or writes one stored setting, so a station can be
// set up from a script (names are matched without regard to letter case).
#include <iostream>

#include "TDbTool.h"
#include "records/TDBSystemSetting.h"
#include "records/TDbSystemSettings.h"
#include "records/TRecordText.h"

int TDbTool::Setting(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2 || TRecordText::Trim(args[0]).empty())
        return UsageError("setting takes a NAME and an optional VALUE");
    if (!OpenExisting() || !RequireTables({TDbSystemSettings::kTable}))
        return kExitFailed;
    TDbSystemSettings settings;
    if (args.size() == 2) {
        if (settings.Save(args[0], args[1]) == nullptr)
            return Fail("the setting " + args[0] + " could not be stored");
        return kExitOK;
    }
    settings.Load(args[0], args[0]);
    if (settings.Settings.empty())
        return Fail("no setting " + args[0]);
    std::cout << settings.Settings[0]->Value << "\n";
    return kExitOK;
}
