#include "logfile/TLogRoom.h"

#include <cmath>
#include <cstdio>

#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "kernel/TDbKernelHelperFunctions.h"
#include "kernel/TDbKernelState.h"
#include "kernel/TRowLayout.h"
#include "records/TDbSystemSettings.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"

using namespace DbFormat;
using S = TDbKernelState;

namespace {
constexpr const char* kSequencesTable = "SEQUENCES";
constexpr int kTextPieceColumn = 1;

bool IsWholePage(uint32_t page) {
    return S::PageEnd(page) - S::PageStart(page) == kDataPageSize;
}

uint32_t OwnerOf(uint32_t page) {
    return S::U32(S::PageStart(page));
}

bool MeasureTable(const std::string& name, TLogRoom::TTableSpace& t, std::string& error) {
    t.Name = name;
    t.TableID = DbKernel->GetTableIDFromName(name);
    const TDBFieldsPtr fields =
        t.TableID == kNoTableID ? nullptr : DbKernel->CreateEmptyFieldsObject(t.TableID, 0);
    if (!fields || fields->Count() == 0) {
        error = "the database has no table " + name;
        return false;
    }
    t.RowSize = static_cast<uint32_t>(DbKernelHelper->GetRowSize(*fields));
    const TRowLayout layout = TRowLayout::Of(*fields, t.RowSize);
    const TRowLayout::Item* piece = nullptr;
    for (const TRowLayout::Item& item : layout.Items)
        if (item.Index == kTextPieceColumn && name == TQSOMemos::kTable)
            piece = &item;
    for (uint32_t p = 0; p < kDataPageCount; ++p) {
        if (OwnerOf(p) != t.TableID)
            continue;
        ++t.Pages;
        t.FreeInLastPage = 0;
        for (uint32_t slot = S::PageStart(p); S::SlotFits(p, slot, t.RowSize);
             slot += t.RowSize + kRowOverhead) {
            if (S::U32(slot + kRowTableIDOffset) != t.TableID) {
                ++t.FreeInLastPage;
                continue;
            }
            const bool live = S::U32(slot + kRowRowIDOffset) != 0;
            ++(live ? t.Live : t.Deleted);
            if (live && piece)
                t.TextChars += TRowLayout::ReadText(slot, *piece, false).size();
        }
    }
    return true;
}
}  // namespace

bool TLogRoom::Measure(std::string& error) {
    if (DbKernel == nullptr || !S::IsOpen()) {
        error = "no database is open";
        return false;
    }
    if (!MeasureTable(TQSOs::kLogTable, Log, error) ||
        !MeasureTable(TQSOs::kDateIndexTable, DateIndex, error) ||
        !MeasureTable(TQSOMemos::kTable, Text, error))
        return false;
    FreePages.clear();
    for (uint32_t p = 0; p < kDataPageCount; ++p)
        if (OwnerOf(p) == 0)
            FreePages.push_back(p);
    for (const char* name : {kSequencesTable, TDbSystemSettings::kTable}) {
        const uint32_t id = DbKernel->GetTableIDFromName(name);
        bool owns = false;
        for (uint32_t p = 0; p < kDataPageCount; ++p) owns = owns || OwnerOf(p) == id;
        if (id != kNoTableID && !owns && !FreePages.empty())
            FreePages.erase(FreePages.begin());
    }
    wholeFree_ = 0;
    uint32_t partial = kDataPageCount;
    for (uint32_t p : FreePages) {
        if (IsWholePage(p))
            ++wholeFree_;
        else
            partial = p;
    }
    const TTableSpace* tables[] = {&Log, &DateIndex, &Text};
    for (int i = 0; i < 3; ++i) {
        wholeCapacity_[i] = S::SlotsInPage(0, tables[i]->RowSize);
        partialCapacity_[i] =
            partial < kDataPageCount ? S::SlotsInPage(partial, tables[i]->RowSize) : 0;
    }
    TextRowsPerContact = Log.Live > 0
                             ? static_cast<double>(Text.Live) / static_cast<double>(Log.Live)
                             : kDefaultTextRows;
    TextCharsPerContact =
        Log.Live > 0 ? static_cast<double>(Text.TextChars) / static_cast<double>(Log.Live) : 0;
    int64_t lo = 0;
    int64_t hi = static_cast<int64_t>(kDbFileSize);
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo + 1) / 2;
        if (Fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    Contacts = lo;
    return true;
}

// Whole free pages are alike; the last page of the file is shorter and is
// the one taken last, so at most one table can end its run in it.
bool TLogRoom::Fits(int64_t contacts) const {
    const TTableSpace* tables[] = {&Log, &DateIndex, &Text};
    const double rows[] = {1.0, 1.0, TextRowsPerContact};
    uint64_t pages = 0;
    bool endsInPartial = false;
    for (int i = 0; i < 3; ++i) {
        const auto need = static_cast<int64_t>(std::ceil(static_cast<double>(contacts) * rows[i]));
        const int64_t rest = need - static_cast<int64_t>(tables[i]->FreeInLastPage);
        if (rest <= 0)
            continue;
        const auto whole = static_cast<int64_t>(wholeCapacity_[i]);
        if (whole == 0)
            return false;
        const int64_t k = (rest + whole - 1) / whole;
        pages += static_cast<uint64_t>(k);
        if (rest - (k - 1) * whole <= static_cast<int64_t>(partialCapacity_[i]))
            endsInPartial = true;
    }
    return pages <= wholeFree_ || (pages == wholeFree_ + 1 && endsInPartial);
}

std::string TLogRoom::Report() const {
    std::string out = "room: " + std::to_string(Contacts) + " contacts\n";
    for (const TTableSpace* t : {&Log, &DateIndex, &Text}) {
        out += t->Name + ": " + std::to_string(t->Live) + " live rows, " +
               std::to_string(t->Deleted) + " deleted, " + std::to_string(t->Pages) +
               (t->Pages == 1 ? " page, " : " pages, ") + std::to_string(t->FreeInLastPage) +
               " free slots in its last page\n";
    }
    char per[96];
    std::snprintf(per, sizeof per, "text per contact: %.2f rows, %.0f characters\n",
                  TextRowsPerContact, TextCharsPerContact);
    return out + "free pages: " + std::to_string(FreePages.size()) + "\n" + per;
}
