// Growable arrays of fixed-size plain records.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quenvel {

// Every failure the control reports carries a message; callers show it.
class EQuenvelError : public std::runtime_error
{
public:
    explicit EQuenvelError(const std::string &msg) : std::runtime_error(msg) {}
};

class EListError : public EQuenvelError
{
public:
    EListError() : EQuenvelError("List index out of bounds") {}
};

class EOutOfMemory : public EQuenvelError
{
public:
    EOutOfMemory() : EQuenvelError("Out of memory") {}
};

// An array of records of one size, copied as plain bytes. Records are never
// constructed or destroyed by the array: whoever fills it owns what they point to.
class TDynArray
{
public:
    explicit TDynArray(int32_t itemSize);
    ~TDynArray();
    TDynArray(const TDynArray &) = delete;
    TDynArray &operator=(const TDynArray &) = delete;

    int32_t ItemSize() const { return itemSize_; }
    int32_t Stride() const { return stride_; }
    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }

    void *Item(int32_t index) const
    {
        if (index < 0 || index >= count_)
            throw EListError();
        return data_ + static_cast<size_t>(index) * static_cast<size_t>(stride_);
    }
    // No bounds check: for loops that already know the index is valid.
    void *ItemUnchecked(int32_t index) const
    {
        return data_ + static_cast<size_t>(index) * static_cast<size_t>(stride_);
    }

    void SetCapacity(int32_t n);
    void SetCount(int32_t n);
    int32_t Add(const void *record);
    void Get(int32_t index, void *record) const;
    void Put(int32_t index, const void *record);
    // Moves records [from, count) so that they start at index `to` (count adjusts).
    void MoveTail(int32_t from, int32_t to);

protected:
    // Room for a few records inside the owner, used while the capacity fits in it.
    void UseInline(void *storage, int32_t records)
    {
        inline_ = static_cast<uint8_t *>(storage);
        inlineCap_ = records;
    }

private:
    uint8_t *inline_ = nullptr;
    int32_t inlineCap_ = 0;
    int32_t itemSize_;
    int32_t stride_;
    uint8_t *data_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};

template <typename T>
class TTypedArray : public TDynArray
{
public:
    TTypedArray() : TDynArray(static_cast<int32_t>(sizeof(T))) {}
    T &operator[](int32_t i) const { return *static_cast<T *>(Item(i)); }
    T &At(int32_t i) const { return *static_cast<T *>(ItemUnchecked(i)); }
};

} // namespace quenvel
