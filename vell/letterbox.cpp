#include "vell/letterbox.h"

#include <algorithm>
#include <cmath>

namespace vell {

Letterbox Letterbox::fit(const Letterbox& previous, int outW, int outH, int winW, int winH,
                         float logicalW, float logicalH) {
    if (outW <= 0 || outH <= 0 || logicalW <= 0 || logicalH <= 0)
        return previous;
    Letterbox box;
    float fitted = std::min(outW / logicalW, outH / logicalH);
    box.offsetX = std::floor((outW - logicalW * fitted) / 2);
    box.offsetY = std::floor((outH - logicalH * fitted) / 2);
    box.scale = std::max(fitted, 0.1f);
    box.ratioX = winW > 0 ? float(outW) / float(winW) : 1.0f;
    box.ratioY = winH > 0 ? float(outH) / float(winH) : 1.0f;
    box.outputWidth = outW;
    box.outputHeight = outH;
    return box;
}

Point Letterbox::windowToLogical(float x, float y) const {
    return {std::round((x * ratioX - offsetX) / scale), std::round((y * ratioY - offsetY) / scale)};
}

Point Letterbox::fingerToLogical(float nx, float ny) const {
    return {std::round((nx * outputWidth - offsetX) / scale),
            std::round((ny * outputHeight - offsetY) / scale)};
}

} // namespace vell
