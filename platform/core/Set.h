#pragma once
// TSet<E>: the class library's "set of" an enumeration whose ordinals lie in
// 0..63, kept as a bit mask (bit n for ordinal n).

#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> elements)
    {
        for (E e : elements)
            bits_ |= Bit(e);
    }
    static constexpr TSet FromBits(uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr uint64_t Bits() const { return bits_; }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E e)
    {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e)
    {
        bits_ &= ~Bit(e);
        return *this;
    }

    constexpr TSet operator+(TSet other) const { return FromBits(bits_ | other.bits_); } // union
    constexpr TSet operator-(TSet other) const { return FromBits(bits_ & ~other.bits_); } // difference
    constexpr TSet operator*(TSet other) const { return FromBits(bits_ & other.bits_); } // intersection
    constexpr bool operator==(const TSet&) const = default;
    // Subset test, as "<=" on the class library's sets.
    constexpr bool operator<=(TSet other) const { return (bits_ & ~other.bits_) == 0; }

private:
    static constexpr uint64_t Bit(E e) { return uint64_t{1} << static_cast<unsigned>(e); }
    uint64_t bits_ = 0;
};
