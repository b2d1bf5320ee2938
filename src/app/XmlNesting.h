#pragma once

// TinyXML parses (and frees) nested elements by recursion: a file of a few
// hundred thousand nested elements overflows the stack and kills the
// program. Files are therefore checked for their nesting depth before they
// are handed to the parser. Every file this program writes nests five
// levels deep.

#include <cstdio>
#include <string>

inline constexpr int maxXmlNesting = 256;

// True when the file's elements nest no deeper than maxDepth; a file that
// cannot be read passes (the parser reports it). Comments and declarations
// may be counted as elements: the check errs towards refusing.
bool xmlNestingWithin(const std::string& path, int maxDepth = maxXmlNesting);
// The same on an open file, read from where it stands to its end.
bool xmlNestingWithin(std::FILE* file, int maxDepth = maxXmlNesting);
