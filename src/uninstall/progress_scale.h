#pragma once
#include <stdint.h>

// Maps steps over any number of entries onto a progress bar, whose range Windows 95 keeps
// within 16 bits.
class ProgressScale {
  public:
    static const uint32_t MAX_RANGE = 0xFFFF;
    // Moves worth painting over the whole bar, one a percent: each paints at once and costs more
    // than undoing many entries, while finer moves would show no better.
    static const uint32_t MAX_MOVES = 100;

    explicit ProgressScale(uint32_t total) : total_(total) {}
    // The bar's upper end: the number of entries while it fits.
    uint32_t Range() const { return total_ < MAX_RANGE ? total_ : MAX_RANGE; }
    // The bar's position once done of the entries are done (capped at the end).
    uint32_t Position(uint32_t done) const;
    // Whether the bar, shown at position shown, is moved for done entries: by a visible step, and
    // always onto its end.
    bool Moves(uint32_t shown, uint32_t done) const;

  private:
    uint32_t total_;
};

// Paints of the bar come at most every PAINT_INTERVAL_MS, which the eye sees as smooth, and
// further apart when a paint takes long, as on a busy machine where each one waits for the
// display and the window system: then painting keeps to a tenth of the time, however many
// entries go by between two paints.
const uint32_t PAINT_INTERVAL_MS = 40;
const uint32_t PAINT_SHARE = 10;

// Whether a paint is due at now, the last having ended at lastEnd and taken lastMs (tick counts
// in milliseconds, which may wrap).
inline bool PaintDue(uint32_t now, uint32_t lastEnd, uint32_t lastMs) {
    uint32_t gap = lastMs * (PAINT_SHARE - 1);
    return now - lastEnd >= (gap > PAINT_INTERVAL_MS ? gap : PAINT_INTERVAL_MS);
}
