#include "uninstall/progress_scale.h"

uint32_t ProgressScale::Position(uint32_t done) const {
    if (total_ == 0)
        return 0;
    if (done >= total_)
        return Range();
    if (total_ <= MAX_RANGE)
        return done;
    // done * MAX_RANGE / total_ in 32-bit steps, which cost less than the runtime's 64-bit
    // division: the product's bits above the lowest 16 are fewer than total_, so the quotient has
    // 16 bits, found one at a time.
    uint32_t low = (done & 0xFFFF) * MAX_RANGE;
    uint32_t rest = (done >> 16) * MAX_RANGE + (low >> 16);
    uint32_t position = 0;
    for (int bit = 15; bit >= 0; --bit) {
        bool carry = rest >= 0x80000000u;
        rest = (rest << 1) | ((low >> bit) & 1);
        position <<= 1;
        if (carry || rest >= total_) {
            rest -= total_;
            position |= 1;
        }
    }
    return position;
}

bool ProgressScale::Moves(uint32_t shown, uint32_t done) const {
    uint32_t position = Position(done);
    if (position <= shown)
        return false;
    uint32_t least = (Range() + MAX_MOVES - 1) / MAX_MOVES;
    return position == Range() || position - shown >= least;
}
