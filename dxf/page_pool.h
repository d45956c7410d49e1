#pragma once
// Page-chained bump allocator for face lists: nothing is freed one by one; all pages go
// together when the pool is destroyed.
#include <cstddef>

struct page_chain_struct {
    void* block;
    unsigned int bytes_used;
    unsigned int block_size;  // a multiple of the system page size
    page_chain_struct* next_page;
};

class page_pool {
public:
    static constexpr unsigned int kMaxPage = 8192;  // largest page, so largest single request
    static constexpr unsigned int kMinTail = 96;    // smaller retired tails are not offered
    static constexpr size_t kAlign = alignof(void*);

    // Read once at start-up; tests may set it before making a pool.
    static unsigned int page_size;
    static unsigned int GetSysPageSize();

    page_pool();
    virtual ~page_pool();
    page_pool(const page_pool&) = delete;
    page_pool& operator=(const page_pool&) = delete;

    // A new page for at least `size` bytes, or null with a message.
    page_chain_struct* new_block(size_t size);
    // Chains a new page after the current one and makes it current; null leaves all as it was.
    page_chain_struct* add_block(size_t size);
    // `size` bytes of pool memory (pointer-aligned), or null after the allocation messages.
    void* page_alloc(size_t size);
    // Receives the unused tail of a retired page; a derived pool may reuse it.
    virtual void add_to_list(void* block, unsigned int size);

    const page_chain_struct* first_page() const { return page_list_head; }
    const page_chain_struct* last_page() const { return current_page; }

private:
    page_chain_struct* page_list_head = nullptr;
    page_chain_struct* current_page = nullptr;
};
