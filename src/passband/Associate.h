#pragma once

// One entry of a choice list: a value and the text that shows it.

#include <string>

template <typename T>
struct Associate {
    T value;
    std::string text;
};
