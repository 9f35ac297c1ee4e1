#include "display/RoiEdit.h"

#include <cstring>

#include "app/Convert.h"
#include "display/ViewCommands.h"

namespace tavlex {

bool ParseRoiChannel(std::string_view text, int& out) {
  // The dialogs' conversion allows blanks around a number; a channel box does not.
  if (text.find_first_of(" \t") != std::string_view::npos) return false;
  return TryStrToInt(text, out);
}

int RoiOfListIndex(int listIndex) {
  return listIndex >= 0 && listIndex < kRoiCount ? listIndex : -1;
}

bool HasHardwareWindow(int roi) {
  return roi >= 1 && roi <= 4;
}

RoiPick PickRoi(AppState& s, int listIndex, RoiTabFields& fields) {
  const int i = RoiOfListIndex(listIndex);
  if (i < 0) return RoiPick::None;
  const RoiRecord& r = s.roiTable[i];
  if (r.defined) {
    fields.low = std::to_string(r.low);
    fields.high = std::to_string(r.high);
    fields.label.assign(r.label, strnlen(r.label, sizeof r.label));
    fields.colour = static_cast<Colour>(r.colour);
    s.currentRoi = i;
    return RoiPick::Defined;
  }
  fields.label.clear();
  // A region read with a spectrum is recalled with what it brought, so that switching it on
  // keeps it rather than overwriting it with zeros.
  if (r.low != 0 || r.high != 0) {
    fields.low = std::to_string(r.low);
    fields.high = std::to_string(r.high);
    fields.colour = static_cast<Colour>(r.colour);
    return RoiPick::Stored;
  }
  fields.low = "0";
  fields.high = "0";
  fields.colour = kRoiPickColour;
  return RoiPick::Undefined;
}

int SwitchRoiOnFromTab(AppState& s, MainWindowPort& window, const RoiTabInput& in) {
  const int i = RoiOfListIndex(in.listIndex);
  if (i < 0) {
    window.SetText(Field::Edit1, roitext::kUnknown);
    return -1;
  }
  int low = 0, high = 0;
  if (!ParseRoiChannel(in.low, low)) {
    window.SetText(Field::Edit1, roitext::kLowCh);
    return -1;
  }
  s.roiTable[i].low = low;
  if (!ParseRoiChannel(in.high, high)) {
    window.SetText(Field::Edit1, roitext::kHighCh);
    return -1;
  }
  SwitchRoiOn(s, RoiSetting{i, low, high, std::string(in.label), in.colour});
  return i;
}

int SwitchRoiOffFromTab(AppState& s, MainWindowPort& window, int listIndex) {
  const int i = RoiOfListIndex(listIndex);
  if (i < 0) {
    window.SetText(Field::Edit1, roitext::kUnknown);
    return -1;
  }
  s.roiTable[i].shown = 0;
  return i;
}

void CheckRoiChannelText(MainWindowPort& window, std::string_view text, bool highBox) {
  int value = 0;
  if (!ParseRoiChannel(text, value))
    window.SetText(Field::Edit1, highBox ? roitext::kHighCh : roitext::kLowCh);
}

}  // namespace tavlex
