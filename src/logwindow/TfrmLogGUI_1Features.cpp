// The log window's feature commands: earlier contacts and the call-sign CD,
// the country lookup, finding contacts, export, printing, about and help.
#include "logwindow/TfrmLogGUI_1.h"

void TfrmLogGUI_1::FillCountryList() {}

int32_t TfrmLogGUI_1::GetCountry(std::string& country) {
    country.clear();
    return 999;
}

void TfrmLogGUI_1::btnCountryClick() {}

std::string TfrmLogGUI_1::GetPreviousQSOs(const std::string& /*call*/) { return std::string(); }

void TfrmLogGUI_1::btnCallDataClick() {}

void TfrmLogGUI_1::FindQSObyDate1Click() {}

void TfrmLogGUI_1::FindCallincurrentselection1Click() {}

void TfrmLogGUI_1::tlbbtnFindCallClick() {}

void TfrmLogGUI_1::SearchNext1Click() {}

void TfrmLogGUI_1::ExporttoTextFile1Click() {}

void TfrmLogGUI_1::tlbtnExpFileClick() {}

void TfrmLogGUI_1::tlbbtnPrintClick() {}

void TfrmLogGUI_1::ToolButton1Click() {}

void TfrmLogGUI_1::AbouttheTrambleQSOlogprogram1Click() {}

void TfrmLogGUI_1::AFewHints1Click() {}
