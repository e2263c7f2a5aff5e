// Every option of Tacetix, one row each: how the command line names it, what values it takes,
// what the help says of it, which of the user's choices it sets and what the log's header
// states of it. The command line parses by it and the window binds its controls to it.
#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "options/ChoiceField.h"
#include "options/ProcessSettings.h"

namespace tacetix {

struct RunChoices;

enum class OptionKind : uint8_t {
  Flag,          // no value
  Level,         // dBfs, -144.0..0.0, to a slider position
  LevelOrInf,    // the same, or -inf for digital zero
  Tenths,        // Min/10..Max/10 in 0.1 steps, held in tenths
  Milliseconds,  // whole ms, Min..Max
  Count,         // a whole number, Min..Max
  Choice,        // one of Values
  Separator,     // one of Values, or one character
  Text,
  Path,
};

// The groups of the help, in their order; Information is the last, without a heading.
enum class OptionGroup : uint8_t {
  Processing,
  OutputFiles,
  InputFiles,
  RunAndMessages,
  LogAndReport,
  Preview,
  Information
};

// Where the log's header states an option: the section and the place in it.
enum class LogSection : uint8_t { None, Processing, Output };
struct LogPlace {
  LogSection Section = LogSection::None;
  int32_t Order = 0;
  auto operator<=>(const LogPlace&) const = default;
};

// A value as the front ends hand it over: a slider position, tenths, ms, a count, an index
// into Values, 1 for a flag; Infinite for -inf; Text for texts, paths and separators.
struct OptionValue {
  int32_t Number = 0;
  bool Infinite = false;
  std::string Text;
};

struct OptionRow {
  const char* Long = "";  // without "--"
  char Short = 0;         // 0 for none
  OptionKind Kind = OptionKind::Flag;
  OptionGroup Group = OptionGroup::Information;
  const char* Placeholder = "";  // the value's name in the help ("LEVEL"); "" for a flag
  int32_t Min = 0;
  int32_t Max = 0;
  const char* Unit = "";  // in the range's message: "LUFS", "pixels" (milliseconds go without)
  std::span<const ValueName> Values = {};
  // The help's lines after the option's name; null when another row's help speaks for it.
  const char* Help = nullptr;
  // The user's choice it sets; null for a front end's own (the command line's switches, the log's
  // settings), which the front end binds by the long name.
  void (*Set)(RunChoices&, const OptionValue&) = nullptr;
  // The field the value goes to as it is (without Set), that the window's control of the
  // option shows, and that a run holds within Min..Max or Values.
  FieldOf Field = nullptr;
  // The lines it gives the log's header, in their place there, from the choices after
  // DescribeRun joined them.
  LogPlace Log = {};
  void (*State)(const RunChoices&, std::vector<std::string>&) = nullptr;

  bool TakesValue() const { return Kind != OptionKind::Flag; }
};

std::span<const OptionRow> AllOptions();
// Sets the choice the row names; false for a row of a front end's own.
bool ApplyOption(const OptionRow& row, RunChoices& choices, const OptionValue& value);
// Every numeric field a row names, back within its range: a value outside falls back to the
// first of the row's values, or to the nearest end of its range.
void ClampToRows(RunChoices& choices);
const OptionRow* FindOption(std::string_view longName);

// The value of one option as typed; false with the one-line message ("--keep: milliseconds
// from 0 to 10000, not 'x'") when it is out of range or no value of the row.
bool ParseOptionValue(const OptionRow& row, const std::string& text, OptionValue& value, std::string& error);

// A level in dBfs ("-inf" not included) to the nearest slider position; false when outside -144.0..0.0.
bool LevelToPosition(const std::string& text, int32_t& position);

// The option lines of the help, group by group.
std::string OptionHelp();

}  // namespace tacetix
