#include "flows/json_object_option.h"

#include <algorithm>

#include "text/hex_digit.h"
#include "text/number_text.h"

namespace llmbridge {

namespace {

constexpr int kMaxDepth = 256;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A recursive reader over the grammar. The first problem stops it and is kept.
class StrictJsonReader {
 public:
  explicit StrictJsonReader(const Text& text) : text_(text) {}

  bool ReadTopObject(std::vector<OptionMember>& members) {
    SkipSpace();
    if (!At(u'{')) return Fail(u"an object must start with {");
    if (!ReadObject(1, &members)) return false;
    SkipSpace();
    return pos_ == text_.size() || Fail(u"text follows the object");
  }

  Text Reason() const { return problem_ + u" at character " + FormatInteger(problem_at_ + 1); }

 private:
  bool At(char16_t c) const { return pos_ < text_.size() && text_[pos_] == c; }
  bool Fail(const char16_t* problem) {
    problem_ = problem;
    problem_at_ = pos_;
    return false;
  }
  // Skips space and then `close`, when it follows: true when the object or array ends here.
  bool Closes(char16_t close) {
    SkipSpace();
    if (!At(close)) return false;
    ++pos_;
    return true;
  }
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t' ||
                                   text_[pos_] == u'\n' || text_[pos_] == u'\r'))
      ++pos_;
  }

  bool ReadValue(int depth) {
    SkipSpace();
    if (pos_ >= text_.size()) return Fail(u"a value is missing");
    const char16_t c = text_[pos_];
    if (c == u'{') return ReadObject(depth + 1, nullptr);
    if (c == u'[') return ReadArray(depth + 1);
    if (c == u'"') return ReadString(nullptr);
    if (c == u'-' || IsDigit(c)) return ReadNumber();
    for (const char16_t* word : {u"true", u"false", u"null"}) {
      const Text literal(word);
      if (text_.compare(pos_, literal.size(), literal) == 0) {
        pos_ += literal.size();
        return true;
      }
    }
    return Fail(u"no JSON value starts here");
  }

  // `members` is given for the top object only: its members are kept as written.
  bool ReadObject(int depth, std::vector<OptionMember>* members) {
    if (depth > kMaxDepth) return Fail(u"objects and arrays nest too deeply");
    ++pos_;  // {
    std::vector<Text> keys;
    if (Closes(u'}')) return true;
    for (;;) {
      SkipSpace();
      const size_t member_start = pos_;
      if (!At(u'"')) return Fail(u"a key must be a string");
      Text key;
      if (!ReadString(&key)) return false;
      if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
        pos_ = member_start;
        return Fail(u"a key is repeated");
      }
      keys.push_back(key);
      SkipSpace();
      if (!At(u':')) return Fail(u"a colon must follow the key");
      ++pos_;
      if (!ReadValue(depth)) return false;
      if (members != nullptr)
        members->push_back({key, text_.substr(member_start, pos_ - member_start)});
      if (Closes(u'}')) return true;
      if (!At(u',')) return Fail(u"a comma or } must follow a member");
      ++pos_;
    }
  }

  bool ReadArray(int depth) {
    if (depth > kMaxDepth) return Fail(u"objects and arrays nest too deeply");
    ++pos_;  // [
    if (Closes(u']')) return true;
    for (;;) {
      if (!ReadValue(depth)) return false;
      if (Closes(u']')) return true;
      if (!At(u',')) return Fail(u"a comma or ] must follow an element");
      ++pos_;
    }
  }

  // Reads a string; `decoded` (when given) receives it with its escapes resolved.
  bool ReadString(Text* decoded) {
    ++pos_;  // "
    for (;;) {
      if (pos_ >= text_.size()) return Fail(u"a string is not closed");
      const char16_t c = text_[pos_];
      if (c == u'"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return Fail(u"a control character must be escaped in a string");
      if (c != u'\\') {
        if (decoded != nullptr) decoded->push_back(c);
        ++pos_;
        continue;
      }
      if (pos_ + 1 >= text_.size()) return Fail(u"an escape is cut off");
      const char16_t escaped = text_[pos_ + 1];
      const Text simple = u"\"\\/bfnrt";
      const Text meaning = u"\"\\/\b\f\n\r\t";
      const size_t which = simple.find(escaped);
      if (which != Text::npos) {
        if (decoded != nullptr) decoded->push_back(meaning[which]);
        pos_ += 2;
        continue;
      }
      if (escaped != u'u') return Fail(u"an unknown escape");
      int unit = 0;
      for (size_t i = pos_ + 2; i < pos_ + 6; ++i) {
        const int digit = i < text_.size() ? HexDigitValue(text_[i]) : -1;
        if (digit < 0) return Fail(u"\\u needs four hexadecimal digits");
        unit = unit * 16 + digit;
      }
      if (decoded != nullptr) decoded->push_back(static_cast<char16_t>(unit));
      pos_ += 6;
    }
  }

  bool ReadNumber() {
    const size_t start = pos_;
    if (At(u'-')) ++pos_;
    if (At(u'0')) {
      ++pos_;
      if (pos_ < text_.size() && IsDigit(text_[pos_])) {
        --pos_;  // the problem is the zero
        return Fail(u"a number has a leading zero");
      }
    } else if (pos_ < text_.size() && IsDigit(text_[pos_])) {
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    } else {
      return Fail(u"a number needs a digit");
    }
    if (At(u'.')) {
      ++pos_;
      if (!ReadDigits()) return Fail(u"a digit must follow the decimal point");
    }
    if (At(u'e') || At(u'E')) {
      ++pos_;
      if (At(u'+') || At(u'-')) ++pos_;
      if (!ReadDigits()) return Fail(u"an exponent needs a digit");
    }
    return pos_ > start;
  }

  bool ReadDigits() {
    const size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    return pos_ > start;
  }

  const Text& text_;
  size_t pos_ = 0;
  Text problem_;
  size_t problem_at_ = 0;
};

}  // namespace

bool ReadJsonObjectOption(const Text& text, std::vector<OptionMember>& members, Text& reason) {
  StrictJsonReader reader(text);
  std::vector<OptionMember> read;
  if (!reader.ReadTopObject(read)) {
    reason = reader.Reason();
    return false;
  }
  members.swap(read);
  return true;
}

}  // namespace llmbridge
