// Path handling of the file layers. Game paths are Windows paths in Shift-JIS: '\\' and
// '/' both separate, names match whatever their letter case. On this system '/' alone
// separates and names are case-sensitive, so paths are converted and names looked up
// without regard to case.
#pragma once
#include <cstddef>
#include <string>

namespace rt {

// '\\' becomes '/', except where it is the trail byte of a double-byte character.
std::string ToSystemPath(const char* path);

// 1 when the two names are equal apart from the case of ASCII letters outside double-byte
// characters.
int NameEqualsNoCase(const char* a, const char* b);
// Length of a's prefix that equals b apart from case (as above), or 0 when b is not one.
size_t PrefixNoCase(const char* a, const char* b);

// Finds the file or directory a system path names, taking each component with its own
// case or, when that does not exist, the first name of its directory that equals it apart
// from case. false when a component cannot be found; resolved then holds the path unchanged.
bool ResolvePathCase(const std::string& path, std::string* resolved);

// The path made absolute from the working directory: '/' between components, "." dropped,
// ".." removing the last component (never above the root), letters keeping their case.
int MakeAbsolutePath(const char* path, std::string* out);

// Splits at the last separator outside a double-byte character: the name after it (the
// whole path when there is none) and the directory before it (empty when there is none).
int SplitPath(const char* path, std::string* fileName, std::string* directory);

// Byte-wise, Shift-JIS aware wildcard match with '*' and '?'; a '*' advances the name to
// the first occurrence of the pattern's next byte, without backtracking. 0 match, -1 none.
int WildcardMatch(const char* pattern, const char* name);

// Upper-cases ASCII letters outside double-byte characters.
std::string UpperCaseName(const char* text);

// Normalises path against base (null: the current directory of the stream table) into
// out, a buffer of kStreamPathSize bytes. A leading separator starts at the root. -1 for
// an empty component (two separators in a row) or a result that does not fit.
int NormalisePath(const char* path, char* out, const char* base);

}  // namespace rt
