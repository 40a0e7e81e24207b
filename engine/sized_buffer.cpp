// SizedBuffer allocation. calloc hands out zeroed pages lazily, which keeps
// the large sample buffers cheap until they are written.
#include "sized_buffer.h"

#include <cstdlib>
#include <new>

void allocateBuffer(SizedBuffer& buffer, std::uint32_t capacity) {
    releaseBuffer(buffer);
    void* data = std::calloc(capacity > 0 ? capacity : 1, 1);
    if (data == nullptr) throw std::bad_alloc();
    buffer.data = data;
    buffer.capacity = capacity;
    buffer.length = 0;
}

void releaseBuffer(SizedBuffer& buffer) {
    std::free(buffer.data);
    buffer.data = nullptr;
    buffer.capacity = 0;
    buffer.length = 0;
}
