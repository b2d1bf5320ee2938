#pragma once

// The device under test of the bench: one transfer function per detector
// port (1..4), in dB against optical frequency, and its true figures.
//
// - DWDM: a 100 GHz multiplexer; port d carries every fourth channel of the
//   ITU grid (193.1 THz + 100 GHz x n, n = d - 1 modulo 4) from about 1513
//   to 1594 nm. Each channel is flat-topped (super-Gaussian of order 3, a
//   -3 dB width of 55 GHz) with a small ripple, its own loss and a centre a
//   little off the grid; the isolation floor is 48 dB below the input.
// - CWDM: 20 nm channels from 1271 to 1611 nm, port d every fourth one,
//   flat-topped over about 14 nm.
// - Patch cord: a flat loss, a little different on each port.
// - Etalon: an air-spaced Fabry-Perot on port 1 (free spectral range
//   99.3 GHz), patch cords on the other ports.
//
// Channels are numbered by their true figures: centre, loss at the centre
// and widths at 1, 3 and 20 dB below the channel's top.

#include <string>
#include <vector>

#include "BenchPreset.h"

namespace vemarsim {

struct TrueChannel {
    double centreNm = 0.0;
    double lossDb = 0.0;  // positive for a loss
    double widthNm[3] = {0.0, 0.0, 0.0};  // at 1, 3 and 20 dB below the top
};

class DeviceUnderTest {
public:
    static constexpr int portCount = 4;
    static constexpr double bandLowNm = 1240.0;
    static constexpr double bandHighNm = 1680.0;

    explicit DeviceUnderTest(DeviceKind kind);

    DeviceKind kind() const { return kind_; }
    // Transmission of port (1..4) at a frequency, dB (negative for a loss).
    double transmissionDb(int port, double frequencyGHz) const;
    // The true channels of a port, by ascending wavelength.
    std::vector<TrueChannel> channels(int port) const;
    // Frequencies (GHz, descending) of the transmission peaks of port 1
    // inside the band, and the half width (GHz) at which the unit's
    // threshold sees each peak: the lines of an external etalon.
    std::vector<double> peakLines() const;
    double peakHalfWidthGHz() const;

private:
    struct Channel {
        double centreGHz;  // for the search of the channels near a frequency
        double centre;     // GHz (DWDM) or nm (CWDM): the axis the shape is symmetric on
        double lossDb;
        double width;      // -3 dB width on that axis
    };
    // The channels of a port (DWDM and CWDM), by descending frequency.
    const std::vector<Channel>& portChannels(int port) const { return channels_[static_cast<std::size_t>(port - 1)]; }
    double channelDb(const Channel& channel, double frequencyGHz) const;
    double portDb(int port, double frequencyGHz) const;
    TrueChannel truth(int port, const Channel& channel) const;

    DeviceKind kind_;
    std::vector<Channel> channels_[portCount];
};

}  // namespace vemarsim
