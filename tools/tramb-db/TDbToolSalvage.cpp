// tramb-db salvage: a damaged log's readable rows copied into a new log. It
// reads the log itself (through a copy taken under its lock), not through
// TDbTool::OpenExisting.
#include <iostream>

#include "SchemaScriptText.h"
#include "TDbTool.h"
#include "logfile/TLogSalvage.h"

int TDbTool::Salvage(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty())
        return UsageError("salvage takes one NEWFILE");
    TLogSalvage salvage(path_, args[0]);
    if (!salvage.Run(kSchemaScriptText))
        return Fail(salvage.Error);
    std::cout << "salvaged " << path_ << " into " << args[0] << ": " << salvage.Contacts
              << " contacts, " << salvage.Texts << " texts, " << salvage.Settings
              << " settings saved; " << salvage.Damaged << " damaged rows skipped\n";
    return kExitOK;
}
