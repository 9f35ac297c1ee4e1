#pragma once
// The commands' arguments, read one way: an option with a value as `--name VALUE` or
// `--name=VALUE`, a flag alone, and every other argument (all of them after "--") a file. A value
// that is missing or no good, an option the command does not take and too few or too many files
// are usage errors naming the command.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace tavlex::cli {

class OptionParser {
 public:
  // Reads a value; false when it is no good. `why` holds the option's usage error and may be
  // given a more precise one.
  using Take = std::function<bool(const std::string& value, std::string& why)>;
  // Reads the options another part of the program defines (the analyser's): -1 when args[i] is
  // none of them, 0 when it was taken (i moved past a separate value), else a usage error's
  // status once the message is shown.
  using Reader = std::function<int(const Args& args, std::size_t& i)>;

  explicit OptionParser(const char* command) : command_(command) {}

  OptionParser& Flag(const char* name, bool& on);
  OptionParser& Flag(const char* name, std::function<void()> act);
  // An option with a value; `need` is the usage error for a missing or bad one.
  OptionParser& Value(const char* name, std::string need, Take take);
  OptionParser& Value(const char* name, std::string need,
                      std::function<bool(const std::string& value)> take);
  // The value as it is (a text, a file name); only its absence is an error.
  OptionParser& Text(const char* name, std::string need, std::string& to);
  OptionParser& Also(Reader reader);
  // The option of every command that reads spectrum files: --rebin N sums N channels of each
  // file into one (RunReadOptions).
  OptionParser& ReadsSpectra();
  // How many files the command names: `least` to `most` (-1 for any number).
  OptionParser& Files(int least, int most, std::string missing,
                      std::string tooMany = "too many files named");

  // Reads `args`: 0 when they are good, else the usage error's status once it is shown.
  int Parse(const Args& args, std::vector<std::string>& files) const;
  const char* Command() const { return command_; }

 private:
  struct Option {
    std::string name;
    bool takesValue;
    std::string need;
    Take take;
  };
  // 0 when args[i] was one of the options and good, -1 when it was none, else the status.
  int TakeOption(const Args& args, std::size_t& i) const;

  const char* command_;
  std::vector<Option> options_;
  std::vector<Reader> readers_;
  int least_ = 0, most_ = -1;
  std::string missing_, tooMany_;
};

// A take for a whole number from `least` to `most`, read into `to`.
std::function<bool(const std::string& value)> WholeNumber(int& to, int least, int most);

// "A-B" or "WxH": two whole numbers around a separator (a leading '-' is the first one's sign).
bool ParsePair(const std::string& text, char separator, int& a, int& b);

}  // namespace tavlex::cli
