#include "packaging/message_catalog.h"

#include <cctype>
#include <regex>

namespace {

struct literal {
  std::string text;  // with the escapes \n, \", \\ and \' resolved
  size_t begin = 0;  // position of the opening quote in the source
  size_t end = 0;    // position just after the closing quote
};

// Resolves the escape after a backslash at `pos` and moves past it.
char unescape(const std::string& s, size_t& pos) {
  const char c = s[pos++];
  return c == 'n' ? '\n' : c == 't' ? '\t' : c;
}

// Every string literal outside comments and character literals, in source order.
std::vector<literal> string_literals(const std::string& s) {
  std::vector<literal> found;
  size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, 2, "//") == 0) {
      i = s.find('\n', i);
      if (i == std::string::npos) break;
    } else if (s.compare(i, 2, "/*") == 0) {
      i = s.find("*/", i + 2);
      if (i == std::string::npos) break;
      i += 2;
    } else if (s[i] == '\'') {
      for (++i; i < s.size() && s[i] != '\''; ++i)
        if (s[i] == '\\') ++i;
      ++i;
    } else if (s[i] == '"') {
      literal lit;
      lit.begin = i++;
      while (i < s.size() && s[i] != '"') lit.text += s[i] == '\\' ? unescape(s, ++i) : s[i++];
      lit.end = ++i;
      found.push_back(lit);
    } else {
      ++i;
    }
  }
  return found;
}

bool only_blanks(const std::string& s, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (!std::isspace(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

// True when the literal is the first argument of a perror call.
bool is_perror_word(const std::string& s, const literal& lit) {
  size_t i = lit.begin;
  while (i > 0 && std::isspace(static_cast<unsigned char>(s[i - 1]))) --i;
  return i >= 7 && s.compare(i - 7, 7, "perror(") == 0;
}

// True when the literal is the text of a `kHelp` array: the --help text, which the page's
// synopsis and options describe rather than list.
bool is_help_text(const std::string& s, const literal& lit) {
  size_t i = lit.begin;
  while (i > 0 && std::isspace(static_cast<unsigned char>(s[i - 1]))) --i;
  const std::string marker = "kHelp[] =";
  return i >= marker.size() && s.compare(i - marker.size(), marker.size(), marker) == 0;
}

std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \n\t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \n\t") - first + 1);
}

bool has_letter(const std::string& s) {
  for (const char c : s)
    if (std::isalpha(static_cast<unsigned char>(c))) return true;
  return false;
}

}  // namespace

std::vector<std::string> message_fragments(const std::string& source) {
  std::vector<literal> joined;
  for (const literal& lit : string_literals(source)) {
    if (!joined.empty() && only_blanks(source, joined.back().end, lit.begin)) {
      joined.back().text += lit.text;
      joined.back().end = lit.end;
    } else {
      joined.push_back(lit);
    }
  }
  static const std::regex conversion("%[-+ #0-9.]*(hh|h|ll|l|z|j|t)?[diouxXcs]");
  std::vector<std::string> fragments;
  for (const literal& lit : joined) {
    if (is_help_text(source, lit)) continue;
    if (is_perror_word(source, lit)) {
      fragments.push_back(lit.text + ":");
      continue;
    }
    if (lit.text.find_first_of(" \n") == std::string::npos) continue;
    std::sregex_token_iterator piece(lit.text.begin(), lit.text.end(), conversion, -1), end;
    for (; piece != end; ++piece) {
      const std::string text = normalize_text(trim(*piece));
      if (has_letter(text)) fragments.push_back(text);
    }
  }
  return fragments;
}

std::string normalize_text(const std::string& text) {
  std::string out = std::regex_replace(text, std::regex("\xE2\x80\x90|\xE2\x88\x92"), "-");
  return std::regex_replace(out, std::regex("\\s+"), " ");
}
