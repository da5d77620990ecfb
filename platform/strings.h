// Small string and path helpers: bounded copies into fixed buffers, case changes, number
// parsing that ignores the process locale, and taking file paths apart.
// Pure functions, callable from any thread; none allocates on the char* forms.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The size of the fixed text and path buffers that callers hand in when they pass no size:
// 255 bytes of text and the terminator.
constexpr std::size_t kTextBufferSize = 256;

// The longest prefix of `text`, at most `maxBytes` long, that does not end inside a UTF-8
// character.
std::size_t utf8CutLength(std::string_view text, std::size_t maxBytes);

// Copies `text` into `buffer` of `bufferSize` bytes: at most bufferSize - 1 bytes, cut on a
// UTF-8 character boundary, always terminated (when bufferSize > 0). Returns false when
// the text had to be cut.
bool copyToBuffer(std::string_view text, char* buffer, std::size_t bufferSize);

// ASCII letters to capitals (or small letters); every other byte, UTF-8 sequences
// included, is left as it is whatever the process locale.
void upperCase(std::string& text);
void upperCase(char* text);
void lowerCase(std::string& text);
void lowerCase(char* text);

// Keeps, in their order, only '0'..'9', '+', '-' and '.'.
void stripAllButNum(std::string& text);
void stripAllButNum(char* text);

// Keeps at most the first 24 bytes of `name`, stopping at the first control character or
// byte of 128 and above.
void safename(char* name);

// The decimal integer at the start of `text`: an optional single sign and at least one
// digit; what follows (a fraction, a unit) is ignored. False, with `number` untouched,
// when there is no such number or it does not fit an int.
bool parseLeadingInt(std::string_view text, int& number);

// The decimal number at the start of `text` ("12.5", "-3", "+.5", "1e3"), read with '.'
// as the decimal point whatever the process locale. False, with `value` untouched, when
// there is no finite number there.
bool parseNumberC(std::string_view text, double& value);

// A number as a user types it, whatever the process locale: after spaces, with '.' or ','
// as the decimal point (half the world types a comma). With `strip` only digits, signs and
// decimal points count, so a unit or other letters around the number are dropped first.
// False, with `value` untouched, when no finite number starts there.
bool parseTypedNumber(std::string_view text, bool strip, double& value);

// `value` in fixed notation with `decimals` digits after a '.', whatever the locale.
std::string floatString(float value, int decimals);

// The text from the last '.' of the whole path to its end, the '.' included; "" without '.'.
std::string getFileNameExtensionsStr(std::string const& path);

// The file name of `path`: the text after its last '/' or, when there is none, after its
// last '\\'; a path with neither gives "". With `withoutExtension` the name loses its last
// '.' and what follows. The buffer forms write at most nameSize - 1 bytes (255 without a
// size), cut on a UTF-8 character boundary.
std::string getFileNameOnlyStr(std::string const& path, bool withoutExtension);
void getFileNameOnly(char const* path, char* name, bool withoutExtension);
void getFileNameOnly(char const* path, char* name, std::size_t nameSize, bool withoutExtension);

// The folder part of a path up to and including its last '/' or '\\' ("" without one),
// and the name of that last folder.
std::string getFileDriveDirStr(std::string const& path);
std::string getFolderNameOnlyStr(std::string const& path);

// Removes one trailing '/'; collapses every run of '/' into one.
void removeEndSlash(std::string& path);
void removeDoubleSlash(std::string& path);

// folder + '/' (when the folder does not end with one) + name; a folder "" or
// "Root Folder" stands for none.
std::string getFullPathForFileNameStr(std::string const& folder, std::string const& name);

void ltrim(std::string& text);
void rtrim(std::string& text);
void trim(std::string& text);

// Equal after ASCII upper-casing of both texts.
bool stringCompareIgnoreCase(std::string const& a, std::string const& b);

// A character allowed in a file name: ':' becomes '-', the characters file systems or
// shells treat specially become a space, control characters become 0.
char validChar(char c);

// At most 24 bytes (cut on a UTF-8 boundary) with every character passed through
// `validChar` (control characters dropped) and leading spaces removed.
std::string safeNameToSaveStr(std::string const& name);

// "001 name" for index 0: the index plus one, zero-padded to three digits, and a space.
std::string getThreeCharName(int index, std::string const& name);

// Creates the folder and every missing parent (mode 0777 less the umask). True when the
// folder exists afterwards.
bool makeDirectory(std::string const& path);
