#pragma once

// The source types: the code stored in a source record, the driver class it
// selects, its name in configuration files and its text in the source
// editor's type list.

#include <memory>
#include <span>
#include <string_view>

class C_Laser;

namespace SourceTypes {

inline constexpr int VarnelPlus = 0;
inline constexpr int VarnelPurity = 1;
inline constexpr int VarnelReference = 2;
inline constexpr int MG9541A = 3;
inline constexpr int Santec = 4;
inline constexpr int Agilent = 5;
inline constexpr int JdsuSws = 6;
inline constexpr int Ecl = 7;
inline constexpr int Manual = 8;
inline constexpr int VarnelR720S = 9;
inline constexpr int VarnelR720R = 10;
inline constexpr int count = 11;

// The configuration-file names indexed by code.
std::span<const char* const> configurationNames();
// The name of a code, or "" for a code outside the table.
const char* configurationName(int code);
// The code of an exact name, or Manual when no name matches.
int codeOfConfigurationName(std::string_view name);

// The codes the source editor offers, in list order, and their list texts.
std::span<const int> editorTypes();
// The list text of a code, or nullptr when the editor does not offer it.
const char* editorText(int code);

// The speeds the source editor offers, nm/s, in list order.
std::span<const int> editorSpeeds();

// A new driver of the code's class (primary address 10, not yet opened), or
// nothing for a code outside the table.
std::unique_ptr<C_Laser> createDriver(int code);

}  // namespace SourceTypes
