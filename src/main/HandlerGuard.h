// Qt ends the program when an exception leaves a slot or an event filter, so every
// handler that starts work ends its own exceptions: the window leaves its busy state
// and the status bar names what stopped.
#pragma once

#include <QString>
#include <exception>

#include "main/unit_main.h"

namespace tacetix {

template <typename Handler>
auto Guarded(TForm1* form, const QString& operation, Handler handler) {
  return [form, operation, handler] {
    try {
      handler();
    } catch (const std::exception& error) {
      if (form->Busy()) form->EndOperation();
      form->ReportFailure(operation, error.what());
    } catch (...) {
      if (form->Busy()) form->EndOperation();
      form->ReportFailure(operation, "unknown");
    }
  };
}

}  // namespace tacetix
