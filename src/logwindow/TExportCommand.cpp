#include "logwindow/TExportCommand.h"

#include <string>

#include "platform/TDialogs.h"
#include "records/TLogExport.h"

int32_t TExportCommand::Run() {
    try {
        const std::string fileName = Dialogs().InputBox("", kPrompt, "");
        int32_t count = 0;
        // An empty name (also Cancel) is a name that cannot be created.
        if (fileName.empty() || TLogExport::ExportToFile(fileName, count) != TLogExport::kOK) {
            Dialogs().InformationBox(TLogExport::kFailedMessage, "");
            return -1;
        }
        Dialogs().InformationBox(std::to_string(count) + TLogExport::kCountSuffix, "");
        return count;
    } catch (...) {
        Dialogs().InformationBox(TLogExport::kFailedMessage, "");
        return -1;
    }
}
