#include "spectrum/spectrum.h"

namespace sorvane {

void Spectrum::clear_data() {
    chn_header = ChnHeader{};
    counts.fill(0);
    chn_trailer = ChnTrailer{};
}

}  // namespace sorvane
