#include "TFuzzWorkspace.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "TPatchedDbFile.h"
#include "TQuietDialogs.h"
#include "kernel/DbFormat.h"
#include "kernel/TDbKernel.h"
#include "records/TDbSystemSettings.h"
#include "records/THolderImport.h"
#include "records/TQSOMemos.h"
#include "records/TQSOs.h"
#include "records/TSchemaScript.h"
#include "schema/TDatabase.h"

using namespace DbFormat;

namespace {
std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string MakeDir() {
    std::string base = "/dev/shm";
    if (const char* t = std::getenv("TRAMB_FUZZ_TMP"))
        base = t;
    if (!std::filesystem::is_directory(base))
        base = "/tmp";
    std::string tmpl = base + "/tramb-fuzz-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr)
        throw std::runtime_error("cannot make " + tmpl);
    return buf.data();
}

uint32_t U32At(const uint8_t* base, uint32_t off) {
    uint32_t v = 0;
    std::memcpy(&v, base + off, 4);
    return v;
}
}  // namespace

TFuzzWorkspace& TFuzzWorkspace::Get() {
    static TFuzzWorkspace workspace;
    return workspace;
}

TFuzzWorkspace::TFuzzWorkspace() : dir_(MakeDir()), quiet_(std::make_unique<TQuietDialogs>()) {}

TFuzzWorkspace::~TFuzzWorkspace() {
    if (db_)
        Close();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

const std::string& TFuzzWorkspace::FreshTemplate() {
    if (!fresh_.empty())
        return fresh_;
    const std::string path = dir_ + "/fresh.sib";
    TPatchedDbFile::Uninstall();
    {
        TDatabase db;
        if (db.StartDatabase(path) != 0)
            throw std::runtime_error("cannot create " + path);
        db.ShutdownDatabase(path);
    }
    fresh_ = path;
    return fresh_;
}

const std::string& TFuzzWorkspace::LogTemplate() {
    if (log_.empty())
        BuildLogTemplate();
    return log_;
}

void TFuzzWorkspace::BuildLogTemplate() {
    const std::string path = dir_ + "/log.sib";
    TPatchedDbFile::Uninstall();
    TDatabase db;
    if (db.StartDatabase(path) != 0)
        throw std::runtime_error("cannot create " + path);
    int done = 0;
    int failed = -1;
    std::string error;
    const std::string script = ReadText(std::string(TRAMB_SOURCE_DIR) + "/data/schema.sql");
    if (TSchemaScript::Run(script, done, failed, error) != 0)
        throw std::runtime_error("schema script failed: " + error);
    db.Tables->Load();

    TQSOs qsos;
    TQSOMemos memos;
    struct TContact {
        const char* Date;
        const char* Call;
        const char* Text;
    };
    const TContact contacts[] = {{"01/02/2002", "W1AW", "first contact, good signal"},
                                 {"01/02/2002", "K1ABC", ""},
                                 {"01/03/2002", "W1AW", "again, on 40 m"},
                                 {"01/03/2002", "dl1xyz", ""},
                                 {"01/04/2002", "JA1ZZZ/P", "portable"}};
    for (const TContact& c : contacts) {
        TQSO* q = qsos.AddQSO(c.Date, c.Call, "12:30", "12:45", "14.070", 100, "SSB", 59, 57, 0, 1,
                              1, "5", "U.S.A.", "Wake", "FN31", "W1XX", 0, "A", "B", "C", "D");
        if (q == nullptr)
            throw std::runtime_error("cannot store a template contact");
        if (*c.Text != 0)
            memos.SaveText(q->QSOID, c.Text);
    }
    TDbSystemSettings settings;
    settings.Save("STATION_CALL", "W4ABC");
    settings.Save("UTC_SHIFT", "5");
    settings.Save("DEFAULT_MODE", "SSB");

    const std::string holders = dir_ + "/holders.txt";
    {
        std::ofstream out(holders, std::ios::binary);
        out << "K1ABC|John|Smith|Boston|MA\r\nW1AW|Hiram|Maxim|Newington|CT\r\nN0CALL|A|B|C|D\r\n";
    }
    THolderImport import;
    import.ImportData(holders, THolderImport::kTable, 1, 100);
    db.ShutdownDatabase(path);
    log_ = path;
}

void TFuzzWorkspace::MeasureLogTemplate() {
    measured_ = true;
    const std::string& path = LogTemplate();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    void* p = ::mmap(nullptr, kDbFileSize, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED)
        return;
    const auto* base = static_cast<const uint8_t*>(p);
    for (uint32_t t = kFirstUserTableID; t <= kLastAllocatableTableID; ++t) {
        const uint32_t slot = t * kTableSlotSize;
        if (U32At(base, slot + kTableRecInUseOffset) == 0)
            continue;
        uint32_t rowSize = 0;
        for (uint32_t c = 0; c < kColumnsPerTable; ++c) {
            const uint32_t at = slot + kTableRecordSize + c * kColumnRecordSize;
            const uint32_t type = U32At(base, at + kColRecDataTypeOffset);
            if (type == kTypeInteger)
                rowSize += kIntegerFieldSize;
            if (type == kTypeCharacter)
                rowSize += U32At(base, at + kColRecLengthOffset);
        }
        const uint32_t block = kBucketRegionBase + (t + 1) * kBucketBlockSize;
        for (uint32_t b = 0; b < kBucketCount; ++b)
            if (U32At(base, block + b * kBucketWordSize) != 0)
                buckets_.push_back(block + b * kBucketWordSize);
        for (uint32_t page = 0; page < kDataPageCount; ++page) {
            const uint32_t start = kDataRegionBase + page * kDataPageSize;
            if (U32At(base, start) != t)
                continue;
            for (uint32_t s = start;
                 s + rowSize + kRowOverhead < start + kDataPageSize &&
                 s + rowSize + kRowOverhead < kDbFileSize && U32At(base, s) == t;
                 s += rowSize + kRowOverhead)
                rows_.push_back(TRowSlot{s, rowSize, t});
        }
    }
    ::munmap(p, kDbFileSize);
}

const std::vector<uint32_t>& TFuzzWorkspace::BucketWords() {
    if (!measured_)
        MeasureLogTemplate();
    return buckets_;
}

const std::vector<TFuzzWorkspace::TRowSlot>& TFuzzWorkspace::Rows() {
    if (!measured_)
        MeasureLogTemplate();
    return rows_;
}

bool TFuzzWorkspace::Open(const std::string& templatePath) {
    if (db_)
        Close();
    TPatchedDbFile::Install();
    db_ = std::make_unique<TDatabase>();
    openPath_ = templatePath;
    if (db_->StartDatabase(templatePath) != 0 || TDbKernel::Base() == nullptr) {
        Close();
        return false;
    }
    return true;
}

int32_t TFuzzWorkspace::Close() {
    int32_t status = 0;
    if (db_) {
        if (TDbKernel::Base() != nullptr)
            status = db_->ShutdownDatabase(openPath_);
        db_.reset();
    }
    TPatchedDbFile::Uninstall();
    TPatchedDbFile::Pending().clear();
    return status;
}
