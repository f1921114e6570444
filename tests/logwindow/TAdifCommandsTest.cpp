// The Tools menu's ADIF commands with a scripted file dialog, and the
// modes and reports of today's digital modes in the grid.
#include <QComboBox>
#include <QProgressDialog>

#include "LogWindowFixture.h"
#include "logwindow/Latin1.h"
#include "logwindow/TAdifCommands.h"
#include "platform/TFileChooser.h"

namespace {

class TScriptedChooser : public TFileChooser {
public:
    TScriptedChooser() { SetFileChooser(this); }
    ~TScriptedChooser() override { SetFileChooser(nullptr); }
    std::string SaveFileName(const std::string&, const std::string&, void*) override {
        return Name;
    }
    std::string OpenFileName(const std::string&, const std::string&, void*) override {
        return Name;
    }
    std::string Name;
};

}  // namespace

TEST_F(LogWindowTest, AdifExportAndACancelledImportFromTheToolsMenu) {
    Seed({{"05/17/2024", "W1AW", "10:00"}, {"05/17/2024", "K1ABC", "11:00"}});
    Start();
    TScriptedChooser chooser;
    chooser.Name = dir_ + "/log.adi";
    w->ExportADIF1->trigger();
    EXPECT_EQ("2 contacts exported to " + chooser.Name + ".", dialogs_->Informations.back());

    // The two exported contacts, then 25 new ones; Cancel at the first update.
    std::string file = ReadFile(chooser.Name);
    for (int i = 10; i < 35; ++i)
        file += "<CALL:4>N" + std::to_string(i) + "X<QSO_DATE:8>20240517<TIME_ON:4>12" +
                std::to_string(i) + "<MODE:3>FT8<RST_SENT:3>-12<EOR>\n";
    WriteFile(chooser.Name, file);
    TAdifCommands::OnProgress = [](QWidget& p) { static_cast<QProgressDialog&>(p).cancel(); };
    w->ImportADIF1->trigger();
    TAdifCommands::OnProgress = nullptr;
    EXPECT_EQ(
        "27 records read: 8 imported, 2 skipped as duplicates, 0 rejected. The import was "
        "cancelled: records 11 to 27 were not imported. Details in " +
            chooser.Name + ".import-report.txt.",
        dialogs_->Informations.back());
    // The grid was reloaded: the imported contacts are there, with their
    // negative reports.
    const std::string calls = Column(3);
    EXPECT_NE(std::string::npos, calls.find("N17X"));
    EXPECT_EQ(std::string::npos, calls.find("N18X"));
    int row = 1;
    while (row < EntryRow() && Cell(3, row) != "N10X") ++row;
    EXPECT_EQ("-12 FT8", Cell(5, row) + " " + Cell(8, row));
    TQSO popped;
    ASSERT_EQ(0, w->PopQSOFromGrid(popped, row));
    EXPECT_EQ(-12, popped.SentRST);

    // The mode list and the report rule: any whole number for a digital
    // mode, 10..599 for the voice modes and CW.
    EXPECT_EQ(31, w->cboMode->count());
    EXPECT_EQ("CW SSB NEW2 FT8 WSPR",
              FromQt(w->cboMode->itemText(0) + " " + w->cboMode->itemText(1) + " " +
                     w->cboMode->itemText(7) + " " + w->cboMode->itemText(8) + " " +
                     w->cboMode->itemText(30)));
    EXPECT_EQ(-1, w->IsValidMode("ft8"));
    EXPECT_EQ(0, w->IsValidMode("DIGITALVOICE"));
    EXPECT_EQ(-1, w->IsValidRST("-12", row));
    Set(8, row, "SSB");
    EXPECT_EQ(0, w->IsValidRST("-12", row));
}
