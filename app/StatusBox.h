#pragma once
// The status box Edit1 between commands: a command that succeeds replaces an error message an
// earlier command left there, with its own text or, when it has none, an empty box. Frames,
// numbers and other texts a command put there stay until a command writes the box again.

#include <string_view>

#include "app/MainWindowPort.h"

namespace tavlex {

// The program's error messages all carry the word ("Error ! ROI LowCh", "File Write Error !").
inline bool IsErrorMessage(std::string_view text) {
  return text.find("Error") != std::string_view::npos;
}

// After a command that succeeded without a text of its own.
inline void ClearStaleError(MainWindowPort& window) {
  if (IsErrorMessage(window.Text(Field::Edit1))) window.SetText(Field::Edit1, "");
}

}  // namespace tavlex
