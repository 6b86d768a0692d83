#pragma once
// Shared objects, the nil-object exception and checked casts.
#include <memory>
#include <stdexcept>
#include <string>

class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;
};

template <class T>
using Ref = std::shared_ptr<T>;

class RuntimeException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class NilObjectException : public RuntimeException {
public:
    NilObjectException() : RuntimeException("NilObjectException") {}
    explicit NilObjectException(const std::string& what) : RuntimeException("NilObjectException: " + what) {}
};

class OutOfBoundsException : public RuntimeException {
public:
    OutOfBoundsException() : RuntimeException("OutOfBoundsException") {}
};

// A nil where an object is required raises the nil-object exception.
template <class P>
P&& NilCheck(P&& p, const char* what = "object")
{
    if (!p) throw NilObjectException(what);
    return std::forward<P>(p);
}

// The cast test: nil when the object is not of that class.
template <class T, class U>
Ref<T> RuntimeCheckCast(const Ref<U>& p)
{
    return std::dynamic_pointer_cast<T>(p);
}

// Array element access with the framework's bounds check.
template <class V>
auto& At(V& v, long long index)
{
    if (index < 0 || static_cast<unsigned long long>(index) >= v.size()) throw OutOfBoundsException();
    return v[static_cast<std::size_t>(index)];
}
