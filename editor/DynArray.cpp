#include "DynArray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quenvel {

TDynArray::TDynArray(int32_t itemSize) : itemSize_(itemSize), stride_((itemSize + 15) / 16 * 16)
{
}

TDynArray::~TDynArray()
{
    if (data_ != inline_)
        std::free(data_);
}

void TDynArray::SetCapacity(int32_t n)
{
    if (n < 0)
        n = 0;
    if (n == capacity_)
        return;
    if (stride_ > 0 && n > INT32_MAX / stride_)
        throw EOutOfMemory();
    const size_t bytes = static_cast<size_t>(n) * static_cast<size_t>(stride_);
    const size_t keep = static_cast<size_t>(std::min(count_, n)) * static_cast<size_t>(stride_);
    if (inline_ && n <= inlineCap_) {
        if (data_ && data_ != inline_) {
            std::memcpy(inline_, data_, keep);
            std::free(data_);
        }
        data_ = n > 0 ? inline_ : nullptr;
    } else if (bytes == 0) {
        if (data_ != inline_)
            std::free(data_);
        data_ = nullptr;
    } else if (data_ == inline_ && data_) {
        void *p = std::malloc(bytes);
        if (!p)
            throw EOutOfMemory();
        std::memcpy(p, inline_, keep);
        data_ = static_cast<uint8_t *>(p);
    } else {
        void *p = std::realloc(data_ == inline_ ? nullptr : data_, bytes);
        if (!p)
            throw EOutOfMemory();
        data_ = static_cast<uint8_t *>(p);
    }
    capacity_ = n;
    if (count_ > capacity_)
        count_ = capacity_;
}

void TDynArray::SetCount(int32_t n)
{
    if (n < 0)
        n = 0;
    if (n > capacity_)
        SetCapacity(n);
    count_ = n;
}

int32_t TDynArray::Add(const void *record)
{
    SetCount(count_ + 1);
    std::memcpy(ItemUnchecked(count_ - 1), record, static_cast<size_t>(itemSize_));
    return count_ - 1;
}

void TDynArray::Get(int32_t index, void *record) const
{
    std::memcpy(record, Item(index), static_cast<size_t>(itemSize_));
}

void TDynArray::Put(int32_t index, const void *record)
{
    std::memcpy(Item(index), record, static_cast<size_t>(itemSize_));
}

void TDynArray::MoveTail(int32_t from, int32_t to)
{
    if (from < 0 || from > count_ || to < 0)
        throw EListError();
    int32_t tail = count_ - from;
    int32_t newCount = to + tail;
    if (newCount > capacity_)
        SetCapacity(newCount);
    if (tail > 0 && from != to)
        std::memmove(ItemUnchecked(to), ItemUnchecked(from),
                     static_cast<size_t>(tail) * static_cast<size_t>(stride_));
    count_ = newCount;
}

} // namespace quenvel
