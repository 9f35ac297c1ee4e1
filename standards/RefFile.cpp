// The standards reference file .ref: sixteen 128-byte records, read and written record by
// record as they are in memory (part of the data module TDmSMTX, unit Smtxlib).

#include <QIODevice>

#include "files/FileAccess.h"
#include "files/SafeWrite.h"
#include "standards/StandardsTable.h"

namespace tavlex {

std::int64_t TDmSMTX::ReadTable(QIODevice& in) {
  std::int64_t total = 0;
  for (StandardRecord& r : table) {
    const std::int64_t n =
        ReadFully(in, reinterpret_cast<char*>(r.data()), static_cast<std::int64_t>(r.kSize));
    total += n;
    if (n < static_cast<std::int64_t>(r.kSize)) break;
  }
  return total;
}

SaveStatus TDmSMTX::SaveStandards() {
  std::optional<std::string> path = chooser_ ? chooser_(StdDialog::Save) : std::nullopt;
  if (!path) return SaveStatus::Cancelled;
  std::string directory, name;
  SplitTablePath(*path, directory, name);
  if (name.find('.') == std::string::npos) *path += ".ref";
  return SaveStandardsTo(*path) ? SaveStatus::Saved : SaveStatus::Failed;
}

bool TDmSMTX::SaveStandardsTo(std::string_view path) {
  SafeWriter out(path);
  if (!out.Open()) return false;
  for (const StandardRecord& r : table) out.Write(r.data(), static_cast<std::int64_t>(r.kSize));
  return out.Commit();
}

}  // namespace tavlex
