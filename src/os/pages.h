#pragma once

#include <cstddef>
#include <utility>

namespace quorvel {

// Zero-filled, page-aligned, readable and writable memory; null when refused.
void* allocatePages(size_t bytes);
void releasePages(void* pages, size_t bytes);

// Pages with one owner, released when it goes: moved, never copied.
class Pages {
  public:
    Pages() = default;
    // Empty when refused (or for 0 bytes).
    explicit Pages(size_t bytes) : data_(allocatePages(bytes)), bytes_(data_ != nullptr ? bytes : 0) {}
    Pages(Pages&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}
    Pages& operator=(Pages&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(bytes_, other.bytes_);
        return *this;
    }
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;
    ~Pages() { releasePages(data_, bytes_); }

    void* data() const { return data_; }
    bool empty() const { return data_ == nullptr; }

  private:
    void* data_ = nullptr;
    size_t bytes_ = 0;
};

}  // namespace quorvel
