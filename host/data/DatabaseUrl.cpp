#include "data/DatabaseUrl.h"

#include <algorithm>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void ReplaceAll(std::string& text, const std::string& secret) {
  if (secret.empty()) return;
  for (auto at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 3)) {
    text.replace(at, secret.size(), "***");
  }
}

}  // namespace

std::vector<TextSpan> PasswordSpans(const std::string& url) {
  std::vector<TextSpan> spans;
  const auto separator = url.find("://");
  if (separator == std::string::npos) return spans;
  const std::size_t start = separator + 3;
  const std::size_t query = std::min(url.find('?', start), url.size());
  const auto at = url.rfind('@', query == 0 ? 0 : query - 1);
  if (at != std::string::npos && at >= start) {
    const auto colon = url.find(':', start);
    if (colon < at) spans.push_back({colon + 1, at});
  }
  for (std::size_t parameter = query + 1; parameter < url.size();) {
    const std::size_t end = std::min(url.find('&', parameter), url.size());
    if (url.compare(parameter, 9, "password=") == 0 && parameter + 9 <= end) {
      spans.push_back({parameter + 9, end});
    }
    parameter = end + 1;
  }
  return spans;
}

std::string MaskPasswords(const std::string& url) {
  std::string masked = url;
  const std::vector<TextSpan> spans = PasswordSpans(url);
  // From the last span back, so that the earlier positions still hold.
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    masked.replace(span->Begin, span->End - span->Begin, "***");
  }
  return masked;
}

std::optional<std::string> PercentDecoded(const std::string& text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

std::string ScrubPasswords(std::string message, const std::string& url) {
  for (const TextSpan& span : PasswordSpans(url)) {
    const std::string written = url.substr(span.Begin, span.End - span.Begin);
    ReplaceAll(message, written);
    // A client library refuses a URL it cannot decode, naming it only as written.
    if (const auto decoded = PercentDecoded(written)) ReplaceAll(message, *decoded);
  }
  return message;
}
