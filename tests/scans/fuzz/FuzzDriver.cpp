// Runs the fuzz target without libFuzzer (compilers that lack it): every
// seed file given, then a bounded number of mutations of them drawn from a
// fixed seed, so that a run is repeatable. Arguments: files or folders of
// seeds, "--runs N" (default 2000), "--seconds S" (default 3), "--seed K".

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Numbers that break counts, sizes and parsers.
const char* const interestingTexts[] = {"-1", "0", "2147483647", "2147483648", "-2147483648", "99999999999999999999",
                                        "1e308", "-1e308", "nan", "inf", "", " ", "True", "v 3.5.9", "3.5"};
const std::uint32_t interestingWords[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000, 1000000};

void mutate(Bytes& b, std::mt19937& rng, const std::vector<Bytes>& seeds)
{
    auto pick = [&rng](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const int count = 1 + static_cast<int>(pick(6));
    for (int m = 0; m < count; ++m) {
        switch (pick(8)) {
        case 0:  // flip a bit
            if (!b.empty()) b[pick(b.size())] ^= static_cast<std::uint8_t>(1u << pick(8));
            break;
        case 1:  // cut the end
            if (!b.empty()) b.resize(pick(b.size()));
            break;
        case 2: {  // delete a range
            if (b.empty()) break;
            const std::size_t at = pick(b.size());
            const std::size_t n = std::min<std::size_t>(1 + pick(64), b.size() - at);
            b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
            break;
        }
        case 3: {  // overwrite four bytes with a telling count
            if (b.size() < 4) break;
            const std::size_t at = pick(b.size() - 3);
            const std::uint32_t w = interestingWords[pick(std::size(interestingWords))];
            for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(w >> (8 * k));
            break;
        }
        case 4: {  // replace a quoted attribute value
            const std::size_t at = pick(b.size());
            auto open = std::find(b.begin() + static_cast<std::ptrdiff_t>(at), b.end(), '"');
            if (open == b.end()) break;
            auto close = std::find(open + 1, b.end(), '"');
            if (close == b.end()) break;
            const std::string text = interestingTexts[pick(std::size(interestingTexts))];
            const std::ptrdiff_t offset = open - b.begin();
            b.erase(open + 1, close);
            b.insert(b.begin() + offset + 1, text.begin(), text.end());
            break;
        }
        case 5: {  // duplicate a range (nesting, repeated elements)
            if (b.empty()) break;
            const std::size_t at = pick(b.size());
            const std::size_t n = std::min<std::size_t>(1 + pick(256), b.size() - at);
            const Bytes chunk(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(pick(b.size())), chunk.begin(), chunk.end());
            break;
        }
        case 6:  // another mode
            if (!b.empty()) b[0] = static_cast<std::uint8_t>(pick(16));
            break;
        case 7: {  // splice with another seed
            const Bytes& other = seeds[pick(seeds.size())];
            if (other.empty() || b.empty()) break;
            const std::size_t cut = pick(b.size());
            b.resize(cut);
            b.insert(b.end(), other.begin() + static_cast<std::ptrdiff_t>(pick(other.size())), other.end());
            break;
        }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    long runs = 2000;
    double seconds = 3.0;
    unsigned seed = 1;
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::strtod(argv[++i], nullptr);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) seeds.push_back(readFile(entry.path()));
        } else {
            seeds.push_back(readFile(arg));
        }
    }
    for (const Bytes& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
    std::printf("replayed %zu seeds\n", seeds.size());
    if (seeds.empty()) return 0;

    std::mt19937 rng(seed);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long done = 0;
    for (; done < runs && std::chrono::steady_clock::now() < deadline; ++done) {
        Bytes input = seeds[static_cast<std::size_t>(rng() % seeds.size())];
        mutate(input, rng, seeds);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("ran %ld mutations (seed %u)\n", done, seed);
    return 0;
}
