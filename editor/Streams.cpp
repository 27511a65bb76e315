#include "Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quenvel {

static int64_t ClampSeek(int64_t base, int64_t offset)
{
    return std::max<int64_t>(base + offset, 0);
}

int64_t TMemoryStream::Read(void *buffer, int64_t count)
{
    int64_t avail = Size() - pos_;
    if (count > avail)
        count = avail;
    if (count <= 0)
        return 0;
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

void TMemoryStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return;
    size_t end = static_cast<size_t>(pos_ + count);
    if (end > data_.size()) {
        if (end > data_.capacity())
            data_.reserve(std::max(end, data_.capacity() * 2));
        data_.resize(end);
    }
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
}

int64_t TMemoryStream::Seek(int64_t offset, Origin origin)
{
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
    pos_ = ClampSeek(base, offset);
    return pos_;
}

int64_t TProtMemStream::Read(void *buffer, int64_t count)
{
    int64_t avail = size_ - pos_;
    if (count > avail)
        count = avail;
    if (count <= 0)
        return 0;
    std::memcpy(buffer, data_ + pos_, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

void TProtMemStream::Write(const void *, int64_t)
{
    throw EStreamError("Stream write error");
}

int64_t TProtMemStream::Seek(int64_t offset, Origin origin)
{
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : size_;
    pos_ = ClampSeek(base, offset);
    return pos_;
}

TFileStream::TFileStream(const std::string &path, Mode mode) : path_(path)
{
    if (mode == fmOpenRead) {
        struct stat st{};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            throw EStreamError("Cannot open file " + path);
        file_ = std::fopen(path.c_str(), "rb");
        if (!file_)
            throw EStreamError("Cannot open file " + path);
    } else {
        file_ = std::fopen(path.c_str(), "wb");
        if (!file_)
            throw EStreamError("Cannot create file " + path);
    }
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

int64_t TFileStream::Read(void *buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    size_t n = std::fread(buffer, 1, static_cast<size_t>(count), file_);
    if (n < static_cast<size_t>(count) && std::ferror(file_))
        throw EStreamError("Stream read error");
    return static_cast<int64_t>(n);
}

void TFileStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return;
    if (std::fwrite(buffer, 1, static_cast<size_t>(count), file_) != static_cast<size_t>(count))
        throw EStreamError("Unable to write to " + path_);
}

int64_t TFileStream::Seek(int64_t offset, Origin origin)
{
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    if (!(origin == soCurrent && offset == 0) && ::fseeko(file_, offset, whence) != 0)
        throw EStreamError("Stream seek error");
    return ::ftello(file_);
}

int64_t TFileStream::Size()
{
    off_t cur = ::ftello(file_);
    ::fseeko(file_, 0, SEEK_END);
    off_t end = ::ftello(file_);
    ::fseeko(file_, cur, SEEK_SET);
    return end;
}

void TFileStream::Flush()
{
    if (file_ && std::fflush(file_) != 0)
        throw EStreamError("Unable to write to " + path_);
}

void TFileStream::Close()
{
    if (file_) {
        int rc = std::fclose(file_);
        file_ = nullptr;
        if (rc != 0)
            throw EStreamError("Unable to write to " + path_);
    }
}

TSafeFileStream::TSafeFileStream(const std::string &path) : target_(path)
{
    path_ = path;
    std::string dir = ".";
    auto slash = path.find_last_of('/');
    if (slash != std::string::npos)
        dir = path.substr(0, slash == 0 ? 1 : slash);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = (dir == "/" ? std::string("/") : dir + "/") + "." + base + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0)
        throw EStreamError("Cannot create file " + path);
    temp_ = buf.data();
    // Keep the permissions of the file being replaced, else the usual ones.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            ::close(fd);
            ::unlink(temp_.c_str());
            temp_.clear();
            throw EStreamError("Cannot create file " + path);
        }
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        mode_t um = ::umask(0);
        ::umask(um);
        ::fchmod(fd, 0666 & ~um);
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        ::unlink(temp_.c_str());
        throw EStreamError("Cannot create file " + path);
    }
}

TSafeFileStream::~TSafeFileStream()
{
    if (!committed_ && !temp_.empty()) {
        if (file_) {
            std::fclose(file_);
            file_ = nullptr;
        }
        ::unlink(temp_.c_str());
    }
}

void TSafeFileStream::Commit()
{
    try {
        Flush();
        if (::fsync(::fileno(file_)) != 0)
            throw EStreamError("Unable to write to " + target_);
        Close();
    } catch (...) {
        ::unlink(temp_.c_str());
        temp_.clear();
        throw;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        throw EStreamError("Unable to write to " + target_);
    }
    committed_ = true;
}

} // namespace quenvel
