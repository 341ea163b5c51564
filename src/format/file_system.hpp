#pragma once
// The one door to the system's files. The programs hold a file name as
// bytes: on Windows, whose names are UTF-16, those bytes are UTF-8 (the
// command line arrives so, cli::arguments), elsewhere they are the name
// as given. Every file the programs open, create, test or remove is named
// through here, so that a name outside the system's code page (an accent,
// Cyrillic) opens the file it names, and a device name of Windows (CON,
// AUX, COM1, ...) is never taken for a file.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "format/record.hpp"  // FileError

namespace record {

// The text of names, in both of the system's encodings. UTF-16 of UTF-8
// text; none when the bytes are not well-formed UTF-8 (a cut or overlong
// sequence, a surrogate, a value past U+10FFFF).
std::optional<std::u16string> utf16_of_utf8(std::string_view text);
// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string utf8_of_utf16(std::u16string_view text);

// Whether `name` names a device of Windows rather than a file: CON, PRN,
// AUX, NUL, COM0 to COM9, LPT0 to LPT9, COM and LPT with a superscript 1, 2
// or 3, CONIN$ and CONOUT$; in any case, with any extension, with trailing
// dots or blanks, in any folder ("sub\aux.csv", "C:nul"), with a stream or
// a colon after it ("com1:"). Pure text: the same answer on every system.
bool is_windows_device_name(std::string_view name);

// The names that stand for the null device and the printer where a program
// takes them (tesk31's output files): "NUL" and "PRN" alone, in any case on
// Windows, as written elsewhere.
bool is_null_device_name(std::string_view name);
bool is_printer_device_name(std::string_view name);

// On Windows, throws FileError for a device name ("aux.csv: AUX is a device
// of Windows, not a file"); elsewhere, where such a name is a file like
// any other, does nothing.
void refuse_device_name(std::string_view name);

// The system's path of a name. On Windows UTF-8 bytes are read as UTF-8,
// other bytes (typed into a pipe or a list file in the ANSI code page) in
// the ANSI code page.
std::filesystem::path file_path(std::string_view name);
// A path's name as the programs hold it: UTF-8 on Windows.
std::string name_of(const std::filesystem::path& path);

// Opens `name` with a mode of fopen ("rb", "ab", "wb"). Throws FileError
// naming the file and the reason: the system's, or a device name of
// Windows.
std::FILE* open_file(const std::string& name, const char* mode);

// As open_file, but a device name is the device: for the names a program
// gives a meaning (tesk31's PRN, the printer).
std::FILE* open_device_or_file(const std::string& name, const char* mode);

// Streams over a named file, binary: for reading, and for writing (created,
// or emptied when it exists). Throws FileError for a device name of
// Windows; a file that cannot be opened leaves the stream failed and errno
// set, for the caller's message.
std::ifstream input_stream(const std::string& name);
std::ofstream output_stream(const std::string& name);

}  // namespace record
