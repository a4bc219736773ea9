// CRefPtr: the counted handle every shared engine object lives in (textures,
// buffers, the device, sprite lists, particle managers, the game object ...).
// One control block per object holds its reference count; the last handle to
// go destroys the object and frees the block. Single-threaded: nothing here is
// atomic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

// The shared control block. It remembers the object as it was wrapped, so that a
// handle converted to a base class still destroys the most derived object, even
// for classes without a virtual destructor.
struct CRefBlock
{
    void* object;
    uint32_t refs;
    void (*destroy)(void*);
};

template <class T>
class CRefPtr
{
public:
    CRefPtr() = default;

    // Takes ownership of p (the caller must not delete it). A null pointer gives
    // the empty handle and makes no block.
    template <class U, class = std::enable_if_t<std::is_convertible<U*, T*>::value>>
    explicit CRefPtr(U* p)
    {
        if (p)
        {
            m_block = new CRefBlock{p, 1, &DestroyAs<U>};
            m_object = p;
        }
    }

    CRefPtr(std::nullptr_t) {}

    CRefPtr(const CRefPtr& other) : m_object(other.m_object), m_block(other.m_block) { AddRef(); }

    // A handle to a derived class converts to a handle to its base; both share one count.
    template <class U, class = std::enable_if_t<std::is_convertible<U*, T*>::value>>
    CRefPtr(const CRefPtr<U>& other) : m_object(other.m_object), m_block(other.m_block)
    {
        AddRef();
    }

    CRefPtr(CRefPtr&& other) noexcept : m_object(other.m_object), m_block(other.m_block)
    {
        other.m_object = nullptr;
        other.m_block = nullptr;
    }

    ~CRefPtr() { Release(); }

    // Assigning a handle to itself does nothing. The new block is taken before the
    // old one is released, so assigning a handle that the old object owns
    // (a = a->child) stays safe.
    CRefPtr& operator=(const CRefPtr& other)
    {
        if (this != &other)
        {
            CRefPtr old(std::move(*this));
            m_object = other.m_object;
            m_block = other.m_block;
            AddRef();
        }
        return *this;
    }

    CRefPtr& operator=(CRefPtr&& other) noexcept
    {
        if (this != &other)
        {
            CRefPtr old(std::move(*this));
            m_object = other.m_object;
            m_block = other.m_block;
            other.m_object = nullptr;
            other.m_block = nullptr;
        }
        return *this;
    }

    // Lets go of the object (destroying it when this was the last handle) and
    // leaves the handle empty.
    void Reset()
    {
        CRefPtr old(std::move(*this));
    }

    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    T* Get() const { return m_object; }

    // True when the handle holds an object; callers test this before every optional use.
    bool IsValid() const { return m_block != nullptr && m_object != nullptr; }
    explicit operator bool() const { return IsValid(); }

    uint32_t RefCount() const { return m_block ? m_block->refs : 0; }

    // Two handles are the same when they share the control block or are both empty.
    bool SameAs(const CRefPtr& other) const { return m_block == other.m_block; }
    friend bool operator==(const CRefPtr& a, const CRefPtr& b) { return a.m_block == b.m_block; }
    friend bool operator!=(const CRefPtr& a, const CRefPtr& b) { return a.m_block != b.m_block; }

    // A handle to a derived class, sharing the count, or empty when the object is
    // not of that class.
    template <class U>
    CRefPtr<U> DynamicCast() const
    {
        CRefPtr<U> out;
        if (U* p = dynamic_cast<U*>(m_object))
        {
            out.m_object = p;
            out.m_block = m_block;
            out.AddRef();
        }
        return out;
    }

    // A handle to a class derived from T, sharing the count, for a caller that knows
    // what the object is (an empty handle stays empty).
    template <class U>
    CRefPtr<U> StaticCast() const
    {
        CRefPtr<U> out;
        out.m_object = static_cast<U*>(m_object);
        out.m_block = m_block;
        out.AddRef();
        return out;
    }

private:
    template <class U>
    friend class CRefPtr;

    template <class U>
    static void DestroyAs(void* p)
    {
        delete static_cast<U*>(p);
    }

    void AddRef()
    {
        if (m_block)
            ++m_block->refs;
    }

    void Release()
    {
        if (!m_block)
            return;
        if (--m_block->refs == 0)
        {
            CRefBlock* block = m_block;
            if (block->object)
                block->destroy(block->object);
            delete block;
        }
    }

    T* m_object = nullptr;
    CRefBlock* m_block = nullptr;
};

// Wraps a new object in a handle: MakeRef<CTexture>(args...).
template <class T, class... Args>
CRefPtr<T> MakeRef(Args&&... args)
{
    return CRefPtr<T>(new T(std::forward<Args>(args)...));
}
