// The child of the kill test: opens an existing log database and stores the
// contacts FIRST_I and FIRST_I+1 (KillWriterContact) with their texts, then
// deletes the first. It writes "STORED <number> <i>" once a contact and its
// text are stored, "DELETING <number>" before the delete and "DELETED
// <number>" after it, flushing stdout each time, and exits 0.
//   tramb-kill-writer DATABASE FIRST_I
#include <cstdio>
#include <cstdlib>
#include <string>

#include "KillWriterContact.h"
#include "kernel/TDbKernel.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDatabase.h"

namespace {
void Say(const char* what, int32_t number, int32_t i) {
    std::printf("%s %d %d\n", what, number, i);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    TDatabase db;
    if (argc != 3 || db.StartDatabase(argv[1]) != 0 || TDbKernel::Base() == nullptr) {
        std::fprintf(stderr, "usage: tramb-kill-writer DATABASE FIRST_I (an existing log)\n");
        return 2;
    }
    TQSOs qsos;
    TQSO first;
    for (int32_t i = std::atoi(argv[2]), k = 0; k < 2; ++i, ++k) {
        const KillWriterContact c{i};
        const std::vector<std::string> v = c.Values();
        const auto n = [&](int col) { return std::stoi(v[col]); };
        TQSO* q = qsos.AddQSO(v[TQSOs::kColDate], v[TQSOs::kColCall], v[TQSOs::kColStart],
                              v[TQSOs::kColEnd], v[TQSOs::kColFrequency], n(TQSOs::kColPower),
                              v[TQSOs::kColMode], n(TQSOs::kColSentRST), n(TQSOs::kColRcvdRST),
                              n(TQSOs::kColRcvdQSL), n(TQSOs::kColSentQSL), n(TQSOs::kColLogID),
                              v[TQSOs::kColZone], v[TQSOs::kColCountry], v[TQSOs::kColCounty],
                              v[TQSOs::kColGrid], v[TQSOs::kColQSLManager], n(TQSOs::kColLayout),
                              v[TQSOs::kColContest1], v[TQSOs::kColContest2],
                              v[TQSOs::kColContest3], v[TQSOs::kColContest4]);
        if (q == nullptr || TQSOMemos().SaveText(q->QSOID, c.Text()) != 0)
            return 1;
        Say("STORED", q->QSOID, i);
        if (k == 0)
            first = *q;
    }
    Say("DELETING", first.QSOID, 0);
    qsos.DeleteQSO(first);
    Say("DELETED", first.QSOID, 0);
    return db.ShutdownDatabase(argv[1]) == 0 ? 0 : 1;
}
