#pragma once

// Runs a test body under a process locale whose decimal separator is ",",
// as a user in many countries would have it.

#include <clocale>
#include <cstdio>
#include <string>

class CommaLocale {
public:
    CommaLocale()
    {
        const char* old = std::setlocale(LC_ALL, nullptr);
        previous_ = old != nullptr ? old : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                active_ = true;
                break;
            }
        }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    // False when the machine has no such locale (scripts/setup-deps.sh generates one).
    bool active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};
