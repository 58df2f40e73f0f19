// Reading numbers in replays and on the command line.
#pragma once

#include <charconv>
#include <string_view>
#include <system_error>

namespace replay {

// Reads the whole of text as a decimal number of type T; false for an empty text, anything
// after the digits, or a value T cannot hold.
template <typename T>
bool parse_number(std::string_view text, T& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc{} && end == text.data() + text.size();
}

}  // namespace replay
