#include "formats/html_document.h"

#include <csetjmp>
#include <cstdlib>

#include "formats/html_cost.h"

namespace {

struct block_header {
    block_header* previous;
    block_header* next;
    std::size_t size;
    std::size_t unused;  // keeps the block behind the header aligned
};
static_assert(sizeof(block_header) % alignof(std::max_align_t) == 0);

// What a block costs: Gumbo makes millions of small ones, so the header and
// malloc's own bookkeeping count too.
std::size_t cost_of(std::size_t size) { return size + sizeof(block_header) + 16; }

}  // namespace

struct gumbo_blocks {
    block_header ring{&ring, &ring, 0, 0};
    std::size_t used = 0;
    std::size_t budget = 0;
    std::jmp_buf* over_budget = nullptr;
};

void free_gumbo_blocks::operator()(gumbo_blocks* blocks) const {
    for (block_header* block = blocks->ring.next; block != &blocks->ring;) {
        block_header* next = block->next;
        std::free(block);
        block = next;
    }
    delete blocks;
}

namespace {

void* allocate_block(void* userdata, std::size_t size) {
    auto* blocks = static_cast<gumbo_blocks*>(userdata);
    void* memory = cost_of(size) <= blocks->budget - blocks->used ? std::malloc(sizeof(block_header) + size) : nullptr;
    if (!memory) std::longjmp(*blocks->over_budget, 1);
    auto* block = static_cast<block_header*>(memory);
    *block = {&blocks->ring, blocks->ring.next, size, 0};
    blocks->ring.next->previous = block;
    blocks->ring.next = block;
    blocks->used += cost_of(size);
    return block + 1;
}

void free_block(void* userdata, void* pointer) {
    if (!pointer) return;
    auto* blocks = static_cast<gumbo_blocks*>(userdata);
    auto* block = static_cast<block_header*>(pointer) - 1;
    block->previous->next = block->next;
    block->next->previous = block->previous;
    blocks->used -= cost_of(block->size);
    std::free(block);
}

// Gumbo cannot stop half-way, so when it runs over the budget the allocator
// jumps back here. Only Gumbo's C frames and the allocator lie between, none
// holding anything that needs cleaning up; the blocks Gumbo held are freed
// with the rest.
GumboOutput* parse_within_budget(gumbo_blocks& blocks, std::string_view text) {
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = allocate_block;
    options.deallocator = free_block;
    options.userdata = &blocks;
    options.max_errors = 0;  // a broken page would otherwise keep a record of every fault
    std::jmp_buf over_budget;
    blocks.over_budget = &over_budget;
    if (setjmp(over_budget) != 0) return nullptr;
    return gumbo_parse_with_options(&options, text.data(), text.size());
}

}  // namespace

html_document parse_html(std::string_view utf8, std::size_t memory_budget) {
    html_document result;
    if (estimate_html_work(utf8, html_work_limit) > html_work_limit) {
        result.failure = "is nested too deeply to read";
        return result;
    }
    result.blocks.reset(new gumbo_blocks);
    result.blocks->budget = memory_budget;
    const GumboOutput* output = parse_within_budget(*result.blocks, utf8);
    result.blocks->over_budget = nullptr;
    if (!output) {
        result.blocks.reset();
        result.failure = "needs more than " + std::to_string(memory_budget >> 20) + " MB of memory to read";
        return result;
    }
    result.document = output->document;
    return result;
}
