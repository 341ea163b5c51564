#include "format/file_system.hpp"

#include <array>
#include <cerrno>
#include <cstring>

#include "format/console.hpp"
#include "format/record.hpp"
#include "format/windows_api.hpp"

namespace record {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr bool windows = true;
#else
constexpr bool windows = false;
#endif

bool continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The character of the well-formed UTF-8 sequence at text[at] and its
// length in bytes; length 0 when the bytes there form none.
struct Decoded {
  char32_t character = 0;
  std::size_t length = 0;
};

Decoded decode_utf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {};
  }
  if (text.size() - at < length || byte(1) < low || byte(1) > high) return {};
  char32_t character = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (!continuation(byte(i))) return {};
    character = (character << 6) | (byte(i) & 0x3F);
  }
  return {character, length};
}

void append_utf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// Unicode's characters of code page 437's bytes 128 to 255.
constexpr std::array<char16_t, 128> code_page_437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equal_blind_to_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  return true;
}

// The device a name stands for once its folder, drive, stream, extension
// and trailing dots and blanks are taken away ("sub\Com1 .txt" -> "Com1");
// empty when it stands for none.
std::string_view device_part(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (name.size() >= 2 && name[1] == ':' && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    name.remove_prefix(2);
  name = name.substr(0, name.find_first_of(".:"));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (equal_blind_to_case(name, device)) return name;
  if (name.size() < 4 || !(equal_blind_to_case(name.substr(0, 3), "COM") || equal_blind_to_case(name.substr(0, 3), "LPT")))
    return {};
  const std::string_view number = name.substr(3);
  // 0 to 9, or superscript 1, 2, 3 (UTF-8, or one byte of the ANSI code page)
  if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return name;
  for (std::string_view superscript : {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xB9", "\xB2", "\xB3"})
    if (number == superscript) return name;
  return {};
}

bool is_bare_device(std::string_view name, std::string_view device) {
  return windows ? equal_blind_to_case(name, device) : name == device;
}

#ifdef _WIN32
std::wstring wide(std::string_view name) {
  if (std::optional<std::u16string> text = utf16_of_utf8(name)) return std::wstring(text->begin(), text->end());
  if (name.empty()) return {};
  const int size = static_cast<int>(std::min<std::size_t>(name.size(), 1 << 30));
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  const int made = MultiByteToWideChar(CP_ACP, 0, name.data(), size, text.data(), size);
  text.resize(made > 0 ? static_cast<std::size_t>(made) : 0);
  return text;
}
#endif

std::FILE* open_named(const std::string& name, const char* mode) {
  errno = 0;
#ifdef _WIN32
  std::FILE* file = _wfopen(file_path(name).c_str(), wide(mode).c_str());
#else
  std::FILE* file = std::fopen(name.c_str(), mode);
#endif
  if (file == nullptr) {
    const int code = errno != 0 ? errno : ENOENT;
    throw FileError(name + ": " + std::strerror(code));
  }
  return file;
}

}  // namespace

std::optional<std::u16string> utf16_of_utf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const Decoded d = decode_utf8(text, at);
    if (d.length == 0) return std::nullopt;
    append_utf16(out, d.character);
    at += d.length;
  }
  return out;
}

std::string utf8_of_utf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t c = text[at];
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++at] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string console_characters(std::string_view bytes, bool names) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const Decoded d = names ? decode_utf8(bytes, at) : Decoded{};
    if (d.length >= 2) {
      append_utf16(out, d.character);
      at += d.length;
      continue;
    }
    const auto byte = static_cast<unsigned char>(bytes[at++]);
    out += byte < 0x80 ? static_cast<char16_t>(byte) : code_page_437[byte - 0x80];
  }
  return out;
}

#ifdef _WIN32
std::wstring console_text(std::string_view bytes, bool names) {
  const std::u16string text = console_characters(bytes, names);
  return std::wstring(text.begin(), text.end());
}
#endif

bool is_windows_device_name(std::string_view name) { return !device_part(name).empty(); }

bool is_null_device_name(std::string_view name) { return is_bare_device(name, "NUL"); }

bool is_printer_device_name(std::string_view name) { return is_bare_device(name, "PRN"); }

void refuse_device_name(std::string_view name) {
  if (!windows) return;
  const std::string_view device = device_part(name);
  if (device.empty()) return;
  std::string upper(device);
  for (char& c : upper) c = ascii_upper(c);
  throw FileError(std::string(name) + ": " + upper + " names a device of Windows, not a file");
}

fs::path file_path(std::string_view name) {
#ifdef _WIN32
  return fs::path(wide(name));
#else
  return fs::path(std::string(name));
#endif
}

std::string name_of(const fs::path& path) {
#ifdef _WIN32
  const std::wstring& text = path.native();
  return utf8_of_utf16(std::u16string(text.begin(), text.end()));
#else
  return path.string();
#endif
}

std::FILE* open_file(const std::string& name, const char* mode) {
  refuse_device_name(name);
  return open_named(name, mode);
}

std::FILE* open_device_or_file(const std::string& name, const char* mode) { return open_named(name, mode); }

std::ifstream input_stream(const std::string& name) {
  refuse_device_name(name);
  errno = 0;
  return std::ifstream(file_path(name), std::ios::binary);
}

std::ofstream output_stream(const std::string& name) {
  refuse_device_name(name);
  errno = 0;
  return std::ofstream(file_path(name), std::ios::binary | std::ios::trunc);
}

}  // namespace record
