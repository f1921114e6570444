// The ADIF commands of tramb-db: export-adif and import-adif.
#include <unistd.h>

#include <iostream>

#include "TDbTool.h"
#include "adif/TAdifExporter.h"
#include "adif/TAdifImporter.h"
#include "records/TCountryTable.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

int TDbTool::ExportAdif(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty())
        return UsageError("export-adif takes one FILE");
    if (!OpenExisting())
        return kExitFailed;
    if (!RequireTables({TQSOs::kLogTable, TQSOMemos::kTable}))
        return kExitFailed;
    TAdifExporter exporter;
    int32_t count = 0;
    if (exporter.Export(args[0], count) != TAdifExporter::kOK)
        return Fail("ADIF export failed: " + exporter.Error);
    std::cout << count << (count == 1 ? " contact" : " contacts") << " exported to " << args[0]
              << "\n";
    return kExitOK;
}

int TDbTool::ImportAdif(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty())
        return UsageError("import-adif takes one FILE");
    if (!OpenExisting())
        return kExitFailed;
    if (!RequireTables(
            {TQSOs::kLogTable, TQSOs::kDateIndexTable, TQSOs::kSequencesTable, TQSOMemos::kTable}))
        return kExitFailed;
    TAdifImporter importer;
    importer.CountryOf = [](const std::string& call, std::string& country) {
        return TCountryTable::Lookup(call, country);
    };
    // Progress on a terminal only: a pipe or a file gets the summary alone.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    if (terminal) {
        importer.Progress = [](int done, int total) {
            if (done % 100 == 0 || done == total)
                std::cerr << "\r" << done << " of " << total << " records" << std::flush;
            return true;
        };
    }
    TAdifImportSummary summary;
    const int32_t status = importer.Import(args[0], summary);
    if (terminal && summary.Read > 0)
        std::cerr << "\n";
    if (status != TAdifImporter::kOK)
        return Fail("ADIF import failed: " + importer.Error + "; nothing was imported");
    std::cout << summary.Text() << "\n";
    return summary.Full ? kExitFailed : kExitOK;
}
