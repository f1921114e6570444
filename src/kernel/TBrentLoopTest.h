// Brent's cycle test for a walk along a bucket chain: the row reached is
// compared with one remembered at steps 1, 2, 4, 8, …, so a chain that runs
// in a circle is caught within a few rounds of it, without memory per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

class TBrentLoopTest {
public:
    explicit TBrentLoopTest(uint32_t first) : mark_(first) {}

    // Called with each row the walk moves on to: true when the walk has come
    // round to a row it visited.
    bool Meets(uint32_t row) {
        if (row == mark_)
            return true;
        if (++since_ == power_) {
            mark_ = row;
            power_ *= 2;
            since_ = 0;
        }
        return false;
    }

    // How many rows of a walk's visits come before the first one visited again.
    static size_t FirstRepeat(const std::vector<uint32_t>& visits) {
        std::unordered_set<uint32_t> seen;
        for (size_t i = 0; i < visits.size(); ++i)
            if (!seen.insert(visits[i]).second)
                return i;
        return visits.size();
    }

private:
    uint32_t mark_;
    uint32_t power_ = 1;
    uint32_t since_ = 0;
};
