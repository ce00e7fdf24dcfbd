#pragma once
// Base64 with the standard alphabet, "=" padding and no line breaks (Basic authentication).

#include <string>
#include <string_view>

namespace kestrin {

std::string EncodeBase64(std::string_view bytes);

}  // namespace kestrin
