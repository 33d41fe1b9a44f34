#include "uninstall/progress_scale.h"

uint32_t ProgressScale::Position(uint32_t done) const {
    if (total_ == 0)
        return 0;
    if (done >= total_)
        return Range();
    return static_cast<uint32_t>(static_cast<uint64_t>(done) * Range() / total_);
}

bool ProgressScale::Moves(uint32_t shown, uint32_t done) const {
    uint32_t position = Position(done);
    if (position <= shown)
        return false;
    uint32_t least = (Range() + MAX_MOVES - 1) / MAX_MOVES;
    return position == Range() || position - shown >= least;
}
