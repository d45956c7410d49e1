#include "dxf/page_pool.h"

#include "dxf/dxf_report.h"

#include <cstdlib>
#include <unistd.h>

unsigned int page_pool::GetSysPageSize() {
    long n = sysconf(_SC_PAGESIZE);
    return n > 0 ? static_cast<unsigned int>(n) : 4096u;
}

unsigned int page_pool::page_size = page_pool::GetSysPageSize();

page_pool::page_pool() {
    page_list_head = current_page = new_block(page_size);
}

page_pool::~page_pool() {
    for (page_chain_struct* p = page_list_head; p;) {
        page_chain_struct* next = p->next_page;
        std::free(p->block);
        std::free(p);
        p = next;
    }
}

page_chain_struct* page_pool::new_block(size_t size) {
    // Checked before rounding, so a huge request cannot wrap around to a small page.
    size_t rounded = page_size ? (size + page_size - 1) / page_size * page_size : size;
    if (size > kMaxPage || rounded > kMaxPage) {
        DxfReport("page_pool::new_block: allocation request too large\n");
        return nullptr;
    }
    auto* page = static_cast<page_chain_struct*>(std::malloc(sizeof(page_chain_struct)));
    void* block = page ? std::malloc(rounded ? rounded : 1) : nullptr;
    if (!page || !block) {
        std::free(page);
        DxfReport("page_pool::page_chain: malloc memory allocation error\n");
        return nullptr;
    }
    page->block = block;
    page->bytes_used = 0;
    page->block_size = static_cast<unsigned int>(rounded);
    page->next_page = nullptr;
    return page;
}

page_chain_struct* page_pool::add_block(size_t size) {
    page_chain_struct* old_page = current_page;
    page_chain_struct* page = new_block(size);
    if (!page) return nullptr;
    if (!old_page) {
        page_list_head = current_page = page;
        return page;
    }
    old_page->next_page = page;
    current_page = page;
    unsigned int tail = old_page->block_size - old_page->bytes_used;
    if (tail >= kMinTail) {
        void* start = static_cast<char*>(old_page->block) + old_page->bytes_used;
        old_page->bytes_used = old_page->block_size;
        add_to_list(start, tail);
    }
    return page;
}

void* page_pool::page_alloc(size_t size) {
    // Nodes hold pointers, so every request keeps the next one pointer-aligned.
    if (size > kMaxPage) size = kMaxPage + 1;
    size = (size + kAlign - 1) / kAlign * kAlign;
    size_t room = current_page ? current_page->block_size - current_page->bytes_used : 0;
    if (size > room) {
        if (page_chain_struct* page = add_block(size)) room = page->block_size;
    }
    if (room < size) {
        DxfReport("page_pool::page_alloc: allocation error\n");
        return nullptr;
    }
    void* p = static_cast<char*>(current_page->block) + current_page->bytes_used;
    current_page->bytes_used += static_cast<unsigned int>(size);
    return p;
}

void page_pool::add_to_list(void*, unsigned int) {}
