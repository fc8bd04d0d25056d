#include "files/OpenReport.h"

#include <algorithm>
#include <vector>

#include "base/TextSlots.h"
#include "base/UiTexts.h"

OpenReport ReportFileProblems(const ConfigReadResult& result, std::string_view fileName, int language) {
  OpenReport report;
  const std::string unchanged(kTuneUnchangedText.Get(language));
  if (result.version == 0 && result.noKey) {
    report.text = FillInText(kNotTuneFileText.Get(language), {fileName}) + "\n\n" + unchanged;
    return report;
  }
  if (result.version == 0) {
    report.text = std::string(fileName) + "\n\n";
    for (ConfigMessage m : result.messages)
      report.text += std::string(kSlotTexts[static_cast<std::size_t>(m)].Get(language)) + "\n";
    report.text += "\n" + unchanged;
    return report;
  }
  if (result.problems.empty()) return report;

  report.canOpenAnyway = true;
  // A section cut twice on one line by the same text says so once.
  std::vector<std::string> lines;
  for (const ConfigProblem& problem : result.problems)
    if (std::string line = ConfigProblemText(problem, language); std::ranges::find(lines, line) == lines.end())
      lines.push_back(std::move(line));
  report.text = FillInText(kFileProblemsText.Get(language), {fileName}) + "\n";
  const auto listed = std::min<std::size_t>(lines.size(), kListedFileProblems);
  for (std::size_t i = 0; i < listed; ++i) report.text += "\n" + lines[i];
  if (const std::size_t more = lines.size() - listed; more > 0)
    report.text += "\n" + FillInText(kMoreFileProblemsText.Get(language), {std::to_string(more)});
  // An older file read in part: its notice belongs to the same message.
  for (ConfigMessage m : result.messages)
    report.text += "\n\n" + std::string(kSlotTexts[static_cast<std::size_t>(m)].Get(language));
  report.text += "\n\n" + unchanged + " " + std::string(kOpenAnywayQuestion.Get(language));
  return report;
}
