// The file and memory services under the storage kernel: a database file
// opened read-write with an exclusive lock, mapped shared as one view, flushed
// range by range. Tests substitute subclasses (fault injection, power loss)
// through SetDbFileFactory.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TDbFile {
public:
    virtual ~TDbFile();

    // Opens the file, creating it when missing, read-write, and takes an
    // exclusive flock. False when it cannot be opened or another process holds
    // it; LastOpenError then says why. A file whose mode grants nobody write
    // access is refused (EACCES) even to the superuser: it is left untouched.
    virtual bool Open(const std::string& path);
    // Extends a shorter file with zeros to size bytes, gives every byte of
    // the file its disk block, and maps size bytes shared and read-write.
    // nullptr on failure (LastError() tells why); a file that could not get
    // its blocks keeps its length and its bytes. A write through the view
    // into a hole could not get a block on a full disk and would kill the
    // process (SIGBUS): the view therefore never has holes.
    virtual uint8_t* Map(uint32_t size);
    // Writes count bytes of the view from addr to the disk at once
    // (msync MS_SYNC over the page-aligned range). False (errno set) when
    // they may not have reached it.
    virtual bool Flush(const uint8_t* addr, uint32_t count);
    virtual void Unmap();
    virtual bool Close();
    // Whether count bytes at addr lie inside the mapped view.
    virtual bool IsAccessible(const void* addr, uint32_t count) const;
    // One past the last non-zero byte of the view's [start, end); start when
    // every byte there is zero (end is clipped to the view). The kernel's
    // walks over mostly empty pages ask it before looking slot by slot.
    virtual uint32_t UsedEnd(uint32_t start, uint32_t end) const;
    // The same over any bytes: one past the last non-zero byte of
    // bytes[start, end), start when all are zero.
    static uint32_t UsedEndOf(const uint8_t* bytes, uint32_t start, uint32_t end);

    // Flushes that reached the disk in this process, over every file object.
    // The benchmark counts flushes per operation with it.
    static uint64_t FlushCount();
    // Counts one durable write made without this class (a block written and
    // synced by hand, a rename) as a flush, so TRAMB_KILL_AT_FLUSH stops
    // those writers at every step too.
    static void CountDurableStep();
    // The errno of the last Open in this process that failed (EACCES or EROFS:
    // read-only, EWOULDBLOCK: locked by another opener); 0 after one that succeeded.
    static int LastOpenError();

    // Test seams, also read once from the environment: TRAMB_ALLOCATE_FAULT
    // ("nospace" or "unsupported") makes the block allocation answer ENOSPC
    // or EOPNOTSUPP; TRAMB_FAIL_AT_FLUSH=N fails the N-th flush and every one
    // after it with EIO (a disk gone bad), counting none of them.
    static void SetAllocateFault(int error);
    static void SetFailAtFlush(uint64_t n);

    bool IsOpen() const { return fd_ >= 0; }
    // Whether Open made the file.
    bool Created() const { return created_; }
    // The errno of the last failed Map (ENOSPC: no room on the disk).
    int LastError() const { return error_; }
    uint8_t* Base() const { return base_; }
    uint32_t Size() const { return size_; }

protected:
    // Records the outcome of an Open (subclasses that fake one call it too).
    static void SetLastOpenError(int error);

    int fd_ = -1;
    uint8_t* base_ = nullptr;
    uint32_t size_ = 0;
    bool created_ = false;
    int error_ = 0;

private:
    // Gives the first length bytes of the file (extending it) their blocks; an errno or 0.
    int Allocate(off_t length);
};

using TDbFileFactory = std::function<std::unique_ptr<TDbFile>()>;

// A new file object of the kind currently installed (TDbFile by default).
std::unique_ptr<TDbFile> NewDbFile();
// Installs a factory; an empty function restores the default.
void SetDbFileFactory(TDbFileFactory factory);
