#pragma once

// The allocator of a scan's large arrays, which are written right after
// they are sized (read from a file, computed point by point):
//   - its value-initialisation is default-initialisation, so a vector of
//     doubles resized with it is not filled with zeros first, for nothing;
//   - a large block has its pages asked for in one go (prepareFreshMemory)
//     instead of one fault per page as it is written.

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "FreshMemory.h"

template <typename T, typename Base = std::allocator<T>>
class FreshArrayAllocator : public Base {
    using Traits = std::allocator_traits<Base>;

public:
    template <typename U>
    struct rebind {
        using other = FreshArrayAllocator<U, typename Traits::template rebind_alloc<U>>;
    };

    using Base::Base;
    FreshArrayAllocator() = default;
    template <typename U, typename B>
    FreshArrayAllocator(const FreshArrayAllocator<U, B>& other) noexcept : Base(other)
    {
    }

    T* allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < largeBlock) return Traits::allocate(static_cast<Base&>(*this), n);
        // Aligned on the large pages the system can back it with.
        T* p = static_cast<T*>(::operator new(bytes, std::align_val_t{largePage}));
        prepareFreshMemory(p, bytes);
        return p;
    }
    void deallocate(T* p, std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < largeBlock)
            Traits::deallocate(static_cast<Base&>(*this), p, n);
        else
            ::operator delete(p, std::align_val_t{largePage});
    }

private:
    static constexpr std::size_t largePage = std::size_t{2} << 20;
    static constexpr std::size_t largeBlock = std::size_t{1} << 20;

public:

    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        Traits::construct(static_cast<Base&>(*this), p, std::forward<Args>(args)...);
    }
};
