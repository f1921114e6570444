// The child of the kill test: opens an existing log database and stores
// contacts 1, 2, 3, ... (KillWriterContact) with their texts until it is
// killed. After a contact and its text are stored it writes
// "STORED <number> <i>" to stdout and flushes; every tenth contact it then
// deletes the contact stored before and writes "DELETED <number>".
//   tramb-kill-writer DATABASE FIRST_I
#include <cstdio>
#include <cstdlib>
#include <string>

#include "KillWriterContact.h"
#include "kernel/TDbKernel.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "schema/TDatabase.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tramb-kill-writer DATABASE FIRST_I\n");
        return 2;
    }
    const std::string path = argv[1];
    TDatabase db;
    if (db.StartDatabase(path) != 0 || TDbKernel::Base() == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    std::printf("READY\n");
    std::fflush(stdout);
    TQSO previous;
    bool hasPrevious = false;
    for (int32_t i = std::atoi(argv[2]);; ++i) {
        const KillWriterContact c{i};
        TQSOs qsos;
        TQSO* q = qsos.AddQSO(c.Date(), c.Call(), c.Start(), c.End(), c.Frequency(), c.Power(),
                              "CW", c.SentRST(), c.RcvdRST(), i % 2, (i + 1) % 2, i, c.Zone(),
                              c.Country(), "COUNTY", c.Grid(), "MGR", 0, "A", "B", "C", "D");
        if (q == nullptr)
            return 1;
        TQSOMemos memos;
        if (memos.SaveText(q->QSOID, c.Text()) != 0)
            return 1;
        std::printf("STORED %d %d\n", q->QSOID, i);
        std::fflush(stdout);
        if (i % 10 == 0 && hasPrevious) {
            qsos.DeleteQSO(previous);
            std::printf("DELETED %d\n", previous.QSOID);
            std::fflush(stdout);
            hasPrevious = false;
        } else {
            previous = *q;
            hasPrevious = true;
        }
    }
}
