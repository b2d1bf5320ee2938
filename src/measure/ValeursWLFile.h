#pragma once

// "ValeursWL.txt" in the Calib folder, opened for appending while the
// object lives and closed however its owner leaves. Each line goes out in
// one write, so it is in the file whole or not at all; the wavelength
// calibration of the factory pages reads the lines back.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

class ValeursWLFile {
public:
    static constexpr const char* fileName = "ValeursWL.txt";

    explicit ValeursWLFile(const std::string& calibFolder);

    // False when the file could not be opened or the line not written.
    bool append(std::string_view line);
    const std::string& path() const { return path_; }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
};
