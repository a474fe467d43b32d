// The skin update's one working buffer: replaced, never shrunk, freed by its owner on every path.
#pragma once

#include <cstdint>
#include <cstdlib>

class WorkBuffer {
  public:
    WorkBuffer() = default;
    ~WorkBuffer() { std::free(data_); }
    WorkBuffer(const WorkBuffer&) = delete;
    WorkBuffer& operator=(const WorkBuffer&) = delete;

    // Makes room for at least `needed` bytes: a larger need frees the old buffer and takes one
    // of twice that size (content not kept). False when that memory cannot be had.
    [[nodiscard]] bool Reserve(uint32_t needed) {
        if (needed <= size_) {
            return true;
        }
        std::free(data_);
        size_ = 0;
        uint64_t wanted = 2 * static_cast<uint64_t>(needed);
        if (wanted > UINT32_MAX) {
            wanted = needed;
        }
        data_ = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(wanted)));
        if (data_ != nullptr) {
            size_ = static_cast<uint32_t>(wanted);
        }
        return data_ != nullptr;
    }

    unsigned char* data() { return data_; }
    uint32_t size() const { return size_; }

  private:
    unsigned char* data_ = nullptr;
    uint32_t size_ = 0;
};
