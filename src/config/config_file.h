#pragma once
// Configuration files (*.ZMT): the image as an ini-style text file. Scalar
// settings are decimal numbers or 0/1 flags in section PARAM; every record is
// one line of hexadecimal text (KEYSCH1..KEYSCH4 for the buttons, EVENTS for
// the events), so files written by earlier versions and by hand keep loading.
#include "config/config_image.h"
#include "files/file_result.h"
#include "lang/lang.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zmt {

// Toolbar notices after a configuration file was saved or loaded.
inline constexpr const char* kConfigSavedNotice = N_("The configuration is written");
inline constexpr const char* kConfigLoadedNotice = N_("The configuration is read");
inline constexpr unsigned kFileNoticeMs = 2500;

// 2n upper-case hexadecimal digits, high nibble first, no separators.
std::string hexEncode(const uint8_t* bytes, std::size_t n);
// Fills exactly n bytes from text, two digits a byte. Files have always been
// read leniently: a character that is not a digit counts as 0, a short text
// leaves the remaining bytes 0, a lone last digit and anything past 2n digits
// are ignored. Returns true when the text was exactly 2n clean digits.
bool hexDecode(const std::string& text, std::size_t n, uint8_t* bytes);

class IniFile;

// Writes every value of the image into ini's configuration sections (what
// saveConfigFile stores), leaving its other sections alone.
void putConfiguration(IniFile& ini, const ConfigImage& image);

// Writes every value of the image into the file at path. An existing file is
// updated, keeping its other sections and keys; it is replaced atomically.
// The wake-up flag of the touch panel is stored too (TOUCH_WAKEUP), which
// older files lack.
FileResult saveConfigFile(const ConfigImage& image, const std::string& path);

// Reads the file at path into image. A file that cannot be read, or that holds
// none of the configuration sections, leaves image untouched and says why.
// A readable file always loads: missing keys take their defaults and damaged
// values are read leniently (see hexDecode), and the result lists the keys
// that were damaged so the user can be told.
// The result's missing lists the keys every saved file has that this one
// lacks (a file cut short, or written by hand): they took their defaults.
FileResult loadConfigFile(ConfigImage& image, const std::string& path);

// How many of the configuration keys saveConfigFile writes the file holds
// (what a snapshot's KEYS counts), and how many that is in all.
std::size_t configurationKeysIn(const IniFile& ini);
std::size_t configurationKeyCount();

} // namespace zmt
