// Any bytes opened as a configuration file (.ign), for the whole image and
// for one page.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "files/ConfigFile.h"
#include "files/ConfigSections.h"
#include "image/MapCatalogue.h"
#include "image/Pages.h"

namespace {

bool Accepted(int version) {
  return version == kConfigFileVersion ||
         std::ranges::find(kOlderConfigVersions, version) != std::end(kOlderConfigVersions);
}

void Check(const ConfigReadResult& result, const ConfigReadContext& context, std::string_view bytes) {
  FUZZ_CHECK(result.version == 0 || Accepted(result.version));
  FUZZ_CHECK(result.refused == CoupledPageRefused(context.image, context.scope));
  if (result.version == 0) {
    // A file that was not taken changes nothing, and says why.
    FUZZ_CHECK(result.image == context.image);
    FUZZ_CHECK(result.problems.empty());
    FUZZ_CHECK(int(result.refused) + int(result.noKey) + int(!result.messages.empty()) == 1);
  }
  const auto lines = 1 + std::ranges::count(bytes, '\n');
  for (const ConfigProblem& problem : result.problems)
    FUZZ_CHECK(!problem.section.empty() && problem.line >= 1 && problem.line <= lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const ConfigReadContext whole;
  const ConfigReadResult read = ReadConfigFile(bytes, whole);
  Check(read, whole, bytes);

  // The page and its sheet come from the input's length, so the corpus
  // stays plain files; the image before is the one just read, so the
  // coupled injection is met as well.
  constexpr int kSheets = kInjectionIapSheet + 2;  // -1 (none) .. the last sheet
  const ConfigReadContext page{
      read.image, {false, static_cast<int>(size % kPageCount), static_cast<int>(size / kPageCount % kSheets) - 1}};
  Check(ReadConfigFile(bytes, page), page, bytes);

  // What was taken survives writing out and reading back: the file written
  // from the image read back is the same file.
  if (read.version != 0) {
    const std::string written = WriteConfigFile(read.image, {});
    const ConfigReadContext before{read.image};
    const ConfigReadResult back = ReadConfigFile(written, before);
    FUZZ_CHECK(back.version == kConfigFileVersion && back.messages.empty() && back.problems.empty());
    FUZZ_CHECK(WriteConfigFile(back.image, {}) == written);
  }
  return 0;
}
