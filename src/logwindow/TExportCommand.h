// "Export to Text File": asks for the file name and writes the whole log
// and its texts through the record layer's export.
#pragma once

#include <cstdint>

class TExportCommand {
public:
    static constexpr const char* kPrompt = "Enter filename:";

    // After CheckSave: the prompt, the export, the closing information box
    // (the count and " Rows Exported.", with a second line naming the
    // damaged rows skipped when there were any, or "Invalid file name
    // specified!").
    // Returns the number of rows exported, -1 when nothing was exported.
    static int32_t Run();
};
