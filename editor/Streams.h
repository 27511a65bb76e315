// Byte streams the control reads from and writes to.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Errors.h"

namespace quenvel {

class EStreamError : public EQuenvelError
{
public:
    using EQuenvelError::EQuenvelError;
};

class TStream
{
public:
    enum Origin { soBeginning, soCurrent, soEnd };
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void *buffer, int64_t count) = 0;
    // Writes all bytes or throws.
    virtual void Write(const void *buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, Origin origin) = 0;
    virtual int64_t Size() = 0;
    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t p) { Seek(p, soBeginning); }
    void WriteString(std::string_view s) { Write(s.data(), static_cast<int64_t>(s.size())); }
};

// A growable stream in memory.
class TMemoryStream : public TStream
{
public:
    int64_t Read(void *buffer, int64_t count) override;
    void Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, Origin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    const std::vector<uint8_t> &Data() const { return data_; }
    std::vector<uint8_t> &Data() { return data_; }
    std::string AsString() const { return std::string(data_.begin(), data_.end()); }

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// A read-only stream over a caller's buffer, attached and detached without copying.
class TProtMemStream : public TStream
{
public:
    void Attach(const void *buffer, int64_t size)
    {
        data_ = static_cast<const uint8_t *>(buffer);
        size_ = size;
        pos_ = 0;
    }
    void Detach()
    {
        data_ = nullptr;
        size_ = 0;
        pos_ = 0;
    }
    int64_t Read(void *buffer, int64_t count) override;
    void Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, Origin origin) override;
    int64_t Size() override { return size_; }
    // The bytes themselves, for readers that need no copy.
    const uint8_t *Data() const { return data_; }

private:
    const uint8_t *data_ = nullptr;
    int64_t size_ = 0;
    int64_t pos_ = 0;
};

// A file opened for reading, or created (emptied) for writing.
class TFileStream : public TStream
{
public:
    enum Mode { fmOpenRead, fmCreate };
    TFileStream(const std::string &path, Mode mode); // throws "Cannot open file %s" / "Cannot create file %s"
    ~TFileStream() override;
    int64_t Read(void *buffer, int64_t count) override;
    void Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, Origin origin) override;
    int64_t Size() override;
    void Flush();
    void Close();

    // For tests of failing disks: every file stream written after this call takes at most
    // `bytes` bytes and then fails as a full disk does ("Unable to write to %s"); -1 lifts
    // the limit.
    static void SetWriteLimitForTesting(int64_t bytes);

protected:
    TFileStream() = default;
    std::FILE *file_ = nullptr;
    std::string path_;
    int64_t written_ = 0;
};

// Writes a file under a temporary name in the same folder and puts it in place of
// the old one only on Commit, so a failed write never destroys a good file. A symbolic
// link is written through to the file it names; a file with several hard links is
// rewritten in place once the new text is complete beside it; anything that is not a
// regular file (a folder, a device, a FIFO) is refused.
class TSafeFileStream : public TFileStream
{
public:
    explicit TSafeFileStream(const std::string &path); // throws "Cannot create file %s"
    ~TSafeFileStream() override;                       // without Commit: removes the temporary file
    void Commit();                                     // throws "Unable to write to %s"
    // The file actually written: the path with its symbolic links followed.
    const std::string &Target() const { return target_; }

private:
    void CopyOver();
    std::string target_;
    bool inPlace_ = false;
    std::string temp_;
    bool committed_ = false;
};

} // namespace quenvel
