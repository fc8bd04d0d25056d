#pragma once

// Seeded random edits of a text, for the robustness tests of the file
// readers: characters from an alphabet that means something to the reader,
// erased runs, random bytes, copied pieces, long numbers and cut ends.

#include <cstddef>
#include <random>
#include <string>
#include <utility>

namespace testsupport {

class TextMutator {
 public:
  TextMutator(unsigned seed, std::string alphabet) : m_random(seed), m_alphabet(std::move(alphabet)) {}

  // 0 .. n-1 (0 when n is 0).
  std::size_t Pick(std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
  }

  // One to `maxEdits` edits of `text`.
  std::string operator()(std::string text, int maxEdits = 8) {
    for (std::size_t edits = 1 + Pick(static_cast<std::size_t>(maxEdits)); edits > 0; --edits) {
      const std::size_t at = Pick(text.size() + 1);
      switch (Pick(6)) {
        case 0:
          text.insert(at, 1, m_alphabet[Pick(m_alphabet.size())]);
          break;
        case 1:
          if (at < text.size()) text.erase(at, 1 + Pick(40));
          break;
        case 2:
          if (at < text.size()) text[at] = static_cast<char>(Pick(256));
          break;
        case 3:
          text.insert(at, text.substr(Pick(text.size()), Pick(12)));
          break;
        case 4:
          text.insert(at, std::to_string(static_cast<int>(m_random())));
          break;
        default:
          text.resize(at);
          break;
      }
    }
    return text;
  }

 private:
  std::mt19937 m_random;
  std::string m_alphabet;
};

}  // namespace testsupport
