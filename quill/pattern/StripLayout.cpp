#include <algorithm>

#include "quill/TestPattern.h"

namespace Quill {
namespace Pattern {

StripLayout ComputeStripLayout(int width, int height) {
    StripLayout layout;
    int columns = 0;
    if (width >= 128) {
        columns = 16;
    } else if (width >= 64) {
        columns = 8;
    } else if (width >= 32) {
        columns = 4;
    } else {
        return layout;
    }
    const int rows = kFrameNumberBits / columns;
    // A strip spans about half the width; blocks stay on 8-pixel boundaries so
    // no 4:1:1 group or 4:2:2 pair straddles two blocks.
    const int blockWidth = std::max(8, width / (2 * columns) / 8 * 8);
    const int margin = 2 * std::max(1, height / 64);
    const int wanted = std::max(4, blockWidth / 2 / 2 * 2);
    const int fitting = (height / 2 - margin) / rows;
    const int blockHeight = std::min(wanted, fitting);
    // Three rows keep a middle row whose Bayer neighbours all lie inside the block.
    if (blockHeight < 3) {
        return layout;
    }
    layout.valid = true;
    layout.columns = columns;
    layout.rows = rows;
    layout.blockWidth = blockWidth;
    layout.blockHeight = blockHeight;
    layout.left = (width - columns * blockWidth) / 2 / 8 * 8;
    layout.top[0] = margin;
    const int stripHeight = rows * blockHeight;
    int bottom = height - margin - stripHeight;
    // Even rows keep 4:2:0 chroma pairs inside a strip where the picture allows it.
    if ((bottom & 1) != 0 && bottom - 1 >= margin + stripHeight) {
        --bottom;
    }
    layout.top[1] = bottom;
    return layout;
}

}  // namespace Pattern
}  // namespace Quill
