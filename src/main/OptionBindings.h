// The window's option controls, one row each: the choice a control sets, its tooltip, and
// the mode it selects. Reading a run's choices, the defaults, the tooltips, the preview's
// replanning and the keys a control keeps all go by these rows, so a control bound here
// takes part in all of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>

#include "options/ProcessSettings.h"

class QAbstractButton;
class QLineEdit;
class QObject;
class QWidget;

namespace tacetix {

struct RunChoices;

using ChoiceField = std::variant<bool*, int32_t*, std::string*, BitsModeKind*, DitherKind*, FolderKind*, OutputKind*>;

struct OptionBinding {
  // tacetix-cli's long option that sets the same choice (a box may mean its opposite, as
  // "keep-going" does "Stop on error"), or the window's own name for a choice it lacks;
  // the radios of one choice share its key and differ in Value.
  const char* Key;
  QWidget* Control;
  ChoiceField (*Field)(RunChoices&);  // nullptr: the control sets nothing in the choices
  int32_t Value;                      // a radio's: its field takes it while the radio is checked
  const char* Tip;
  // A level or target: a change selects the mode it belongs to and ticks the box that turns
  // that mode on, so the run uses what the user just set.
  QAbstractButton* Mode = nullptr;
  QAbstractButton* Box = nullptr;
  QLineEdit* Level = nullptr;  // a level slider's text
  QWidget* Follows = nullptr;  // an end's control: the beginning's, which it shows while linked
};

// The control's state into its field of choices, and back.
void ReadControl(const OptionBinding& row, RunChoices& choices);
void ShowChoice(const OptionBinding& row, RunChoices& choices);
// A control's value as a number (a tick is 1, a tenths spin counts tenths), and shown.
int32_t ControlNumber(const QWidget* control);
void ShowNumber(QWidget* control, int32_t number);
// Calls changed whenever the control's value changes, by the user or the program.
void OnChange(const OptionBinding& row, QObject* receiver, const std::function<void()>& changed);
// Entries the user types into keep every key while they have the focus: digits and letters
// there are values and text, not page switches and commands.
bool TakesTyping(const QWidget* control);

}  // namespace tacetix
