// The log window's loading of the last days into the grid.
#include "logwindow/TQsoGrid.h"
#include "logwindow/TfrmLogGUI_1.h"

void TfrmLogGUI_1::LoadGridRows() {
    QSOList = std::make_unique<TQSOs>();
    std::vector<std::string> dates;
    for (int d = 0; d <= DaysToShow; ++d) dates.push_back(UtcBaseDate(d));
    // Oldest first, by date, start time, then list position compared as text.
    const std::vector<const std::string*> rows =
        gridDays_.Load(dates, *QSOList, [this](const TQSO& qso) { return PackedGridRow(qso); });
    // The grid grows once to its final size and takes all rows in one change.
    if (!rows.empty()) {
        const int first = GridRowCount - 1;
        GridRowCount += static_cast<int>(rows.size());
        SetRowCount(GridRowCount);
        strGridQSOS->SetPackedRows(first, rows);
    }
    FillQSORow(GridRowCount - 1, -1);
}
