#include "CurveSegment.h"

#include <stdexcept>

CurveSegment CurveSegment::search(const double* wavelengthNm, const double* levelDb, std::size_t count,
                                  float first, float last)
{
    std::size_t i = 0;
    while (i < count && wavelengthNm[i] < first) ++i;
    if (i == count) throw std::out_of_range("CurveSegment::search The first wavelength of grid not found");
    // The curve's last point is never part of a segment.
    std::size_t k = count >= 2 ? count - 2 : 0;
    while (k > i && wavelengthNm[k] > last) --k;
    // k < i happens when only the curve's last point lies past first: such a
    // segment would have no point at all.
    if (k <= i) throw std::out_of_range("CurveSegment::search The last wavelength of grid not found");
    return {k - i + 1, wavelengthNm + i, levelDb + i};
}
