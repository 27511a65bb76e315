#include "Streams.h"

#include <algorithm>
#include <cstdlib>
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
        // Opened without waiting (a FIFO with no writer would block here for ever), then
        // only a regular file is read: a folder, a FIFO or a device has no text to give.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            throw EStreamError("Cannot open file " + path);
        struct stat st{};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            throw EStreamError("Cannot open file " + path +
                               (S_ISDIR(st.st_mode) ? " (it is a folder)" : " (it is not a regular file)"));
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file_ = ::fdopen(fd, "rb");
        if (!file_) {
            ::close(fd);
            throw EStreamError("Cannot open file " + path);
        }
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

namespace {
int64_t writeLimitForTesting = -1;
}

void TFileStream::SetWriteLimitForTesting(int64_t bytes)
{
    writeLimitForTesting = bytes;
}

void TFileStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return;
    if (writeLimitForTesting >= 0 && written_ + count > writeLimitForTesting) {
        // the disk takes what fits, then reports that it is full
        const int64_t fits = std::max<int64_t>(writeLimitForTesting - written_, 0);
        if (fits > 0)
            std::fwrite(buffer, 1, static_cast<size_t>(fits), file_);
        written_ += fits;
        throw EStreamError("Unable to write to " + path_);
    }
    if (std::fwrite(buffer, 1, static_cast<size_t>(count), file_) != static_cast<size_t>(count))
        throw EStreamError("Unable to write to " + path_);
    written_ += count;
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

namespace {

// The file a path names, following symbolic links (also dangling ones) to their end.
std::string FollowLinks(const std::string &path)
{
    std::string cur = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st{};
        if (::lstat(cur.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return cur;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        const ssize_t n = ::readlink(cur.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<size_t>(n) >= buf.size())
            return cur;
        std::string target(buf.data(), static_cast<size_t>(n));
        if (!target.empty() && target[0] != '/') {
            auto slash = cur.find_last_of('/');
            if (slash != std::string::npos)
                target = cur.substr(0, slash + 1) + target;
        }
        cur = target;
    }
    return cur;
}

} // namespace

namespace {

// A temporary file for the text: beside the target when its folder takes one, else in the
// user's cache folder. Returns the descriptor (-1 when neither can be made).
int MakeTemporary(const std::string &target, std::string &temp, bool &beside)
{
    std::string dir = ".";
    auto slash = target.find_last_of('/');
    if (slash != std::string::npos)
        dir = target.substr(0, slash == 0 ? 1 : slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::vector<std::string> candidates{(dir == "/" ? std::string("/") : dir + "/") + "." + base + ".XXXXXX"};
    std::string cache;
    if (const char *x = std::getenv("XDG_CACHE_HOME"); x && *x == '/')
        cache = x;
    else if (const char *h = std::getenv("HOME"); h && *h == '/')
        cache = std::string(h) + "/.cache";
    if (!cache.empty()) {
        ::mkdir(cache.c_str(), 0700);
        ::mkdir((cache + "/quenvel").c_str(), 0700);
        candidates.push_back(cache + "/quenvel/" + base + ".XXXXXX");
    }
    candidates.push_back("/tmp/quenvel-" + base + ".XXXXXX");
    for (size_t i = 0; i < candidates.size(); ++i) {
        std::vector<char> buf(candidates[i].begin(), candidates[i].end());
        buf.push_back('\0');
        const int fd = ::mkstemp(buf.data());
        if (fd >= 0) {
            temp = buf.data();
            beside = i == 0;
            return fd;
        }
    }
    return -1;
}

} // namespace

TSafeFileStream::TSafeFileStream(const std::string &path) : target_(FollowLinks(path))
{
    path_ = path;
    struct stat st{};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw EStreamError("Cannot create file " + path + " (it is a folder)");
    if (exists && !S_ISREG(st.st_mode))
        throw EStreamError("Cannot create file " + path + " (it is not a regular file)");
    // A read-only file stays as it is, even for a user the system would let replace it.
    if (exists && ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0))
        throw EStreamError("Cannot create file " + path + " (it is read-only)");
    bool beside = false;
    const int fd = MakeTemporary(target_, temp_, beside);
    if (fd < 0 || (!beside && !exists)) {
        if (fd >= 0) {
            ::close(fd);
            ::unlink(temp_.c_str());
            temp_.clear();
        }
        throw EStreamError("Cannot create file " + path);
    }
    // A file with other names (hard links), or in a folder that takes no new file, is
    // rewritten in place after the new text is safely written elsewhere, so that every
    // name keeps showing the same file.
    inPlace_ = exists && (st.st_nlink > 1 || !beside);
    // Keep the permissions and, where the system allows, the owner and group of the file
    // being replaced.
    if (exists) {
        ::fchmod(fd, st.st_mode & 07777);
        if (beside && ::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // the owner and group stay the writer's; the permissions are kept all the same
        }
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
            throw EStreamError("Unable to write to " + path_);
        Close();
    } catch (...) {
        ::unlink(temp_.c_str());
        temp_.clear();
        throw;
    }
    if (inPlace_) {
        CopyOver();
    } else if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        throw EStreamError("Unable to write to " + path_);
    }
    committed_ = true;
}

void TSafeFileStream::CopyOver()
{
    // The new text is complete in the temporary file: copy it over the old file's bytes.
    // Should that fail half-way, the temporary file is kept and named in the message.
    const std::string keep = "Unable to write to " + path_ + "; the complete text is saved in " + temp_;
    int in = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        throw EStreamError("Unable to write to " + path_);
    }
    int out = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (out < 0) {
        ::close(in);
        ::unlink(temp_.c_str());
        temp_.clear();
        throw EStreamError("Cannot create file " + path_);
    }
    bool ok = ::ftruncate(out, 0) == 0;
    std::vector<char> buf(1 << 20);
    while (ok) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
    }
    ok = ok && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok) {
        committed_ = true; // the temporary file stays: it holds the only complete copy
        throw EStreamError(keep);
    }
    ::unlink(temp_.c_str());
}

} // namespace quenvel
