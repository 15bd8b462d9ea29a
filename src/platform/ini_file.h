// Initialisation-file text as the Windows profile functions read and write it:
// names compared without regard to case, blanks around names and values
// trimmed, the first matching section and key win, a value's surrounding
// quotes removed. The POSIX profile files use it; it touches no file itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace embark::ini {

// The text of a settings file as the launcher works with it: UTF-16 with a
// byte-order mark (either byte order, as Notepad's "Unicode" writes it)
// becomes UTF-8; any other bytes are the text as they stand.
std::string decode_file_text(std::string contents);

// The value of `key` in the first section named `section`; nullopt when the
// section, the key, or the key's "=" is missing.
std::optional<std::string> find_value(std::string_view contents, std::string_view section,
                                      std::string_view key);

// The names of the keys of the first section named `section`, in file order;
// lines without "=" and comments (";") name none.
std::vector<std::string> key_names(std::string_view contents, std::string_view section);

// The contents with `key` set to `value` in the first section named `section`.
// The rest of the text is kept byte for byte; a missing key is added at the
// end of its section, a missing section at the end of the text.
std::string set_value(std::string_view contents, std::string_view section, std::string_view key,
                      std::string_view value);

} // namespace embark::ini
