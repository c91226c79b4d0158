// Our portable converters against the platform's own, on Windows: every byte, every UTF-16 code
// unit and a corpus of invalid and truncated UTF-8. Any difference is a bug in ours.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "text/cp1252_codec.h"
#include "text/utf8_codec.h"

namespace llmbridge::codepage {
namespace {

std::u16string PlatformDecode(UINT page, const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
  std::u16string out(static_cast<size_t>(needed), u'\0');
  MultiByteToWideChar(page, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()), needed);
  return out;
}

std::string PlatformEncode(UINT page, const std::u16string& units) {
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  const int size = static_cast<int>(units.size());
  const int needed = WideCharToMultiByte(page, 0, wide, size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(page, 0, wide, size, out.data(), needed, nullptr, nullptr);
  return out;
}

template <typename Decoder>
std::u16string OurDecode(Decoder decode, const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  std::u16string out(static_cast<size_t>(decode(bytes.data(), size, nullptr, 0)), u'\0');
  decode(bytes.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

template <typename Encoder>
std::string OurEncode(Encoder encode, const std::u16string& units) {
  const int size = static_cast<int>(units.size());
  std::string out(static_cast<size_t>(encode(units.data(), size, nullptr, 0)), '\0');
  encode(units.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

// Every code unit alone, then every high surrogate followed by a low one and by a letter.
std::vector<std::u16string> UnitCorpus() {
  std::vector<std::u16string> corpus;
  for (unsigned unit = 1; unit <= 0xFFFF; ++unit)
    corpus.push_back(std::u16string(1, char16_t(unit)));
  for (unsigned high = 0xD800; high <= 0xDBFF; high += 0x3F) {
    corpus.push_back({char16_t(high), char16_t(0xDC00 + (high & 0x3FF))});
    corpus.push_back({char16_t(high), u'a'});
    corpus.push_back({u'a', char16_t(high)});
  }
  return corpus;
}

// Lead bytes of every kind, alone and followed by bytes around each boundary the decoder checks,
// at every length up to four, so truncated sequences are covered too.
std::vector<std::string> Utf8Corpus() {
  const char followers[] = {'\x00', '\x41', '\x7f', '\x80', '\x8f', '\x90',
                            '\x9f', '\xa0', '\xbf', '\xc2', '\xe0', '\xff'};
  std::vector<std::string> corpus;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    const std::string one(1, static_cast<char>(lead));
    corpus.push_back(one);
    for (char second : followers) {
      corpus.push_back(one + second);
      for (char third : followers) {
        corpus.push_back(one + second + third);
        for (char fourth : followers) corpus.push_back(one + second + third + fourth);
      }
    }
  }
  return corpus;
}

TEST(CodePageDifferential, TheAnsiCodePageIsWestern) { ASSERT_EQ(GetACP(), 1252u); }

TEST(CodePageDifferential, Cp1252DecodingMatchesEveryByte) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string in(1, static_cast<char>(byte));
    EXPECT_EQ(OurDecode(Cp1252Decode, in), PlatformDecode(1252, in)) << "byte " << byte;
  }
}

TEST(CodePageDifferential, Cp1252EncodingMatchesEveryCodeUnit) {
  int differences = 0;
  for (const std::u16string& units : UnitCorpus()) {
    if (OurEncode(Cp1252Encode, units) != PlatformEncode(1252, units) && ++differences <= 10) {
      ADD_FAILURE() << "first unit " << std::hex << unsigned(units[0]);
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST(CodePageDifferential, Utf8EncodingMatchesEveryCodeUnit) {
  int differences = 0;
  for (const std::u16string& units : UnitCorpus()) {
    if (OurEncode(Utf8Encode, units) != PlatformEncode(CP_UTF8, units) && ++differences <= 10) {
      ADD_FAILURE() << "first unit " << std::hex << unsigned(units[0]);
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST(CodePageDifferential, Utf8DecodingMatchesTheInvalidAndTruncatedCorpus) {
  int differences = 0;
  const std::vector<std::string> corpus = Utf8Corpus();
  for (const std::string& bytes : corpus) {
    if (OurDecode(Utf8Decode, bytes) != PlatformDecode(CP_UTF8, bytes) && ++differences <= 10) {
      std::string hex;
      for (unsigned char b : bytes) hex += " " + std::to_string(b);
      ADD_FAILURE() << "bytes" << hex;
    }
  }
  EXPECT_EQ(differences, 0) << "of " << corpus.size() << " sequences";
}

// ASCII runs take a path of their own, eight bytes at a time: the short sequences of the corpus
// are decoded again with ASCII around them, at every offset from those steps.
TEST(CodePageDifferential, Utf8DecodingMatchesWithAsciiAround) {
  int differences = 0;
  int compared = 0;
  for (const std::string& sequence : Utf8Corpus()) {
    if (sequence.size() > 2) continue;
    for (size_t before = 0; before <= 9; ++before) {
      for (size_t after : {0, 1, 5, 9}) {
        const std::string bytes = std::string(before, 'a') + sequence + std::string(after, 'z');
        ++compared;
        if (OurDecode(Utf8Decode, bytes) != PlatformDecode(CP_UTF8, bytes) && ++differences <= 10) {
          ADD_FAILURE() << before << " + " << unsigned(static_cast<unsigned char>(sequence[0]))
                        << " + " << after;
        }
      }
    }
  }
  EXPECT_EQ(differences, 0) << "of " << compared << " texts";
}

}  // namespace
}  // namespace llmbridge::codepage
