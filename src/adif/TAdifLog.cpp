#include "adif/TAdifLog.h"

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TRowLayout.h"
#include "kernel/TRowView.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TRecordText.h"

bool TAdifLog::StoredContacts(std::vector<TQSO>& contacts) {
    contacts.clear();
    if (!DbKernel || !TDbKernel::Base())
        return false;
    const uint32_t id = DbKernel->GetTableIDFromName(TQSOs::kLogTable);
    TRowLayout layout;
    int32_t keyIndex = 0;
    bool multiKey = false;
    if (id == DbFormat::kNoTableID || !DbKernel->DescribeTable(id, layout, keyIndex, multiKey))
        return false;
    bool convertible = true;
    const bool sound =
        DbKernel->VisitSoundChains(id, layout, [&](int32_t, uint32_t, uint32_t slotOffset) {
            const TRowView row(layout, slotOffset);
            TQSO q;
            try {
                q.QSOID = TRecordText::StrToIntStrict(row.Text(TQSOs::kColNumber));
                q.Power = TRecordText::StrToIntStrict(row.Text(TQSOs::kColPower));
                q.SentRST = TRecordText::StrToIntStrict(row.Text(TQSOs::kColSentRST));
                q.RcvdRST = TRecordText::StrToIntStrict(row.Text(TQSOs::kColRcvdRST));
                q.RcvdQSL = TRecordText::StrToIntStrict(row.Text(TQSOs::kColRcvdQSL));
                q.SentQSL = TRecordText::StrToIntStrict(row.Text(TQSOs::kColSentQSL));
                q.LogID = TRecordText::StrToIntStrict(row.Text(TQSOs::kColLogID));
                q.ColLayoutType = TRecordText::StrToIntStrict(row.Text(TQSOs::kColLayout));
            } catch (...) {
                convertible = false;
                return;
            }
            q.QSODate = row.Text(TQSOs::kColDate);
            q.Call = row.Text(TQSOs::kColCall);
            q.StartTime = row.Text(TQSOs::kColStart);
            q.EndTime = row.Text(TQSOs::kColEnd);
            q.Frequency = row.Text(TQSOs::kColFrequency);
            q.Mode = row.Text(TQSOs::kColMode);
            q.Zone = row.Text(TQSOs::kColZone);
            q.Country = row.Text(TQSOs::kColCountry);
            q.County = row.Text(TQSOs::kColCounty);
            q.Grid = row.Text(TQSOs::kColGrid);
            q.QSLManager = row.Text(TQSOs::kColQSLManager);
            q.Contest1 = row.Text(TQSOs::kColContest1);
            q.Contest2 = row.Text(TQSOs::kColContest2);
            q.Contest3 = row.Text(TQSOs::kColContest3);
            q.Contest4 = row.Text(TQSOs::kColContest4);
            contacts.push_back(std::move(q));
        });
    return sound && convertible;
}

std::string TAdifLog::StoredText(int32_t number) {
    TQSOMemos memos;
    memos.LoadForQSO(number);
    std::string text;
    for (const auto& memo : memos.Memos) text += memo->Text;
    return text;
}

std::vector<int> TAdifLog::ColumnWidths() {
    std::vector<int> widths;
    if (!DbKernel || !TDbKernel::Base())
        return widths;
    const uint32_t id = DbKernel->GetTableIDFromName(TQSOs::kLogTable);
    if (id == DbFormat::kNoTableID)
        return widths;
    const TDBFieldsPtr fields = DbKernel->CreateEmptyFieldsObject(id, 0);
    if (!fields)
        return widths;
    widths.assign(TQSOs::kColumnCount, 0);
    for (int c = 0; c < TQSOs::kColumnCount; ++c) {
        const TDBFieldParent* f = fields->GetField(c);
        if (f && f->DataType == static_cast<int32_t>(DbFormat::kTypeCharacter))
            widths[c] = f->Length;
    }
    return widths;
}
