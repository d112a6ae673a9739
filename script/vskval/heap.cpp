// The string heap: one growable movable block holding a doubly linked list of blocks laid end
// to end from offset 0. Each block is a 12-byte header {next, prev, size} and its data; size
// positive means free, negative in use; the first block's prev names the last block.
#include <cstring>

#include "vskval_internal.h"

namespace vskval {
namespace {

constexpr int kHeader = 12;
constexpr int kGrowth = 65536;

struct Header {
    int32_t next, prev, size;
};

// The heap locked for one operation.
class Locked {
  public:
    explicit Locked(HGLOBAL h) : h_(h) {
        base_ = h ? static_cast<BYTE*>(GlobalLock(h)) : nullptr;
        size_ = base_ ? GlobalSize(h) : 0;
    }
    ~Locked() {
        if (base_) GlobalUnlock(h_);
    }
    bool ok() const { return base_ != nullptr; }
    SIZE_T size() const { return size_; }
    BYTE* at(int64_t offset) const { return base_ + offset; }
    bool fits(int64_t offset, int64_t bytes) const {
        return offset >= 0 && bytes >= 0 && uint64_t(offset + bytes) <= size_;
    }
    Header get(int32_t offset) const {
        Header h;
        std::memcpy(&h, base_ + offset, sizeof h);
        return h;
    }
    void put(int32_t offset, const Header& h) { std::memcpy(base_ + offset, &h, sizeof h); }
    void setNext(int32_t offset, int32_t next) { std::memcpy(base_ + offset, &next, 4); }
    void setPrev(int32_t offset, int32_t prev) { std::memcpy(base_ + offset + 4, &prev, 4); }
    void setSize(int32_t offset, int32_t size) { std::memcpy(base_ + offset + 8, &size, 4); }
    // Grows by kGrowth bytes (zero-filled); the pointer may move.
    bool grow() {
        GlobalUnlock(h_);
        HGLOBAL again = GlobalReAlloc(h_, size_ + kGrowth, GMEM_MOVEABLE | GMEM_ZEROINIT);
        base_ = static_cast<BYTE*>(GlobalLock(again ? again : h_));
        if (!again) return false;
        h_ = again;
        size_ = GlobalSize(h_);
        return base_ != nullptr;
    }

  private:
    HGLOBAL h_;
    BYTE* base_;
    SIZE_T size_;
};

int32_t Magnitude(int32_t size) { return size < 0 ? -size : size; }

// The header offset of the block in use whose data begin at `offset`, or -1. Checked in
// constant time against its neighbours, so that a stale or made-up offset is refused instead
// of corrupting the list.
int32_t UsedBlock(const Locked& heap, int offset) {
    int64_t at = int64_t(offset) - kHeader;
    if (at < 0 || !heap.fits(at, kHeader)) return -1;
    Header h = heap.get(int32_t(at));
    if (h.size >= 0 || !heap.fits(at + kHeader, Magnitude(h.size))) return -1;
    if (h.next != 0 && (h.next <= at || !heap.fits(h.next, kHeader))) return -1;
    if (at != 0) {
        if (h.prev < 0 || h.prev >= at) return -1;
        if (heap.get(h.prev).next != at) return -1;
    }
    return int32_t(at);
}

}  // namespace

bool HeapCreate(tagVALUAREA* ctx) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kGrowth);
    if (!h) return false;
    Locked heap(h);
    if (!heap.ok()) {
        GlobalFree(h);
        return false;
    }
    heap.put(0, Header{0, 0, kGrowth - kHeader});
    ctx->hstring = h;
    return true;
}

void HeapDelete(tagVALUAREA* ctx) {
    if (ctx->hstring) GlobalFree(ctx->hstring);
    ctx->hstring = nullptr;
}

int HeapAlloc(tagVALUAREA* ctx, const void* data, int bytes) {
    Locked heap(ctx->hstring);
    if (!heap.ok() || bytes < 0) return 0;
    int32_t at = 0;
    for (;;) {
        Header h = heap.get(at);
        if (h.size >= 0 && (h.size == bytes || h.size >= bytes + kHeader)) {
            if (h.size != bytes) {
                // Split: the remainder becomes a free block linked after this one.
                int32_t rest = at + kHeader + bytes;
                heap.put(rest, Header{h.next, at, h.size - bytes - kHeader});
                if (h.next)
                    heap.setPrev(h.next, rest);
                else
                    heap.setPrev(0, rest);
                heap.setNext(at, rest);
            }
            heap.setSize(at, -bytes);
            if (data && bytes) std::memcpy(heap.at(at + kHeader), data, size_t(bytes));
            return at + kHeader;
        }
        if (h.next) {
            at = h.next;
            continue;
        }
        // No block fits: a new free block after the data of the last one.
        int64_t fresh = int64_t(at) + kHeader + Magnitude(h.size);
        if (fresh + kGrowth > INT32_MAX || !heap.grow()) return 0;
        if (!heap.fits(fresh, kHeader + kGrowth - kHeader)) return 0;
        heap.put(int32_t(fresh), Header{0, at, kGrowth - kHeader});
        heap.setNext(at, int32_t(fresh));
        heap.setPrev(0, int32_t(fresh));
        at = int32_t(fresh);
    }
}

void HeapFree(tagVALUAREA* ctx, int offset) {
    Locked heap(ctx->hstring);
    if (!heap.ok()) return;
    int32_t at = UsedBlock(heap, offset);
    if (at < 0) return;
    Header h = heap.get(at);
    int32_t size = Magnitude(h.size);
    heap.setSize(at, size);
    if (h.next) {
        Header next = heap.get(h.next);
        if (next.size >= 0) {
            size += kHeader + next.size;
            heap.setSize(at, size);
            heap.setNext(at, next.next);
            if (next.next)
                heap.setPrev(next.next, at);
            else
                heap.setPrev(0, at);
            h.next = next.next;
        }
    }
    if (at != 0) {
        Header prev = heap.get(h.prev);
        if (prev.size >= 0) {
            heap.setSize(h.prev, prev.size + kHeader + size);
            heap.setNext(h.prev, h.next);
            if (h.next)
                heap.setPrev(h.next, h.prev);
            else
                heap.setPrev(0, h.prev);
        }
    }
}

bool HeapRead(const tagVALUAREA* ctx, int offset, int bytes, void* out) {
    Locked heap(ctx->hstring);
    if (!heap.ok() || bytes < 0) return false;
    int32_t at = UsedBlock(heap, offset);
    if (at < 0 || Magnitude(heap.get(at).size) < bytes) return false;
    if (bytes) std::memcpy(out, heap.at(at + kHeader), size_t(bytes));
    return true;
}

}  // namespace vskval
