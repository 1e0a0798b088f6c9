// Allocation that reports a shortage of memory by its result instead of an exception, for the
// modules that let none escape. Every failed allocation of the program is caught here or where
// a run stops as a whole (stopWhenMemoryRunsOut).
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

// A block of `count` uninitialised elements, or null when there is no memory for it.
template <class T>
std::unique_ptr<T[]> tryAllocate(size_t count) {
    try {
        return std::make_unique_for_overwrite<T[]>(count);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// What `step()` gives, or `otherwise` when an allocation inside it fails: for steps whose
// allocations are not in our hands (a container growing, a text being built).
template <class Step, class Otherwise>
std::invoke_result_t<Step&> tryWithMemory(Step&& step, Otherwise&& otherwise) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        return std::forward<Otherwise>(otherwise);
    }
}
