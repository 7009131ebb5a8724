#pragma once
// A scope guard for the nested begin/end update of bitmaps and layer
// collections: BeginUpdate now, EndUpdate when the scope is left, also by an
// exception.

namespace ivra {

template <class T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& target) : target_(target) { target_.BeginUpdate(); }
    ~TUpdateScope() { target_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T& target_;
};

} // namespace ivra
