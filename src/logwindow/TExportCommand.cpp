#include "logwindow/TExportCommand.h"

#include <string>

#include "platform/TDialogs.h"
#include "records/TLogExport.h"

int32_t TExportCommand::Run() {
    try {
        const std::string fileName = Dialogs().InputBox("", kPrompt, "");
        int32_t count = 0;
        int32_t damaged = 0;
        // An empty name (also Cancel) is a name that cannot be created.
        if (fileName.empty() ||
            TLogExport::ExportToFile(fileName, count, damaged) != TLogExport::kOK) {
            Dialogs().InformationBox(TLogExport::kFailedMessage, "");
            return -1;
        }
        // Rows the page scan could not read are named on a line of their
        // own, so the operator knows the file is not the whole log.
        std::string message = std::to_string(count) + TLogExport::kCountSuffix;
        if (damaged > 0)
            message += "\n" + std::to_string(damaged) + TLogExport::kDamagedSuffix;
        Dialogs().InformationBox(message, "");
        return count;
    } catch (...) {
        Dialogs().InformationBox(TLogExport::kFailedMessage, "");
        return -1;
    }
}
