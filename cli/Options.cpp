#include "cli/Options.h"

#include <utility>

#include "app/Convert.h"
#include "cli/Session.h"

namespace tavlex::cli {

OptionParser& OptionParser::Flag(const char* name, bool& on) {
  return Flag(name, [&on] { on = true; });
}

OptionParser& OptionParser::Flag(const char* name, std::function<void()> act) {
  options_.push_back({name, false, {}, [act = std::move(act)](const std::string&, std::string&) {
                        act();
                        return true;
                      }});
  return *this;
}

OptionParser& OptionParser::Value(const char* name, std::string need, Take take) {
  options_.push_back({name, true, std::move(need), std::move(take)});
  return *this;
}

OptionParser& OptionParser::Value(const char* name, std::string need,
                                  std::function<bool(const std::string& value)> take) {
  return Value(name, std::move(need),
               [take = std::move(take)](const std::string& v, std::string&) { return take(v); });
}

OptionParser& OptionParser::Text(const char* name, std::string need, std::string& to) {
  return Value(name, std::move(need), [&to](const std::string& v) {
    to = v;
    return true;
  });
}

OptionParser& OptionParser::Also(Reader reader) {
  readers_.push_back(std::move(reader));
  return *this;
}

OptionParser& OptionParser::ReadsSpectra() {
  return Value("--rebin", Format("--rebin needs a whole number from 1 to %d", kMaxRebin),
               WholeNumber(RunReadOptions().rebin, 1, kMaxRebin));
}

OptionParser& OptionParser::Files(int least, int most, std::string missing, std::string tooMany) {
  least_ = least, most_ = most;
  missing_ = std::move(missing), tooMany_ = std::move(tooMany);
  return *this;
}

int OptionParser::TakeOption(const Args& args, std::size_t& i) const {
  const std::string& a = args[i];
  for (const Option& o : options_) {
    const bool joined = o.takesValue && a.size() > o.name.size() && a.starts_with(o.name) &&
                        a[o.name.size()] == '=';
    if (a != o.name && !joined) continue;
    std::string value, why = o.need;
    if (joined)
      value = a.substr(o.name.size() + 1);
    else if (o.takesValue && i + 1 >= args.size())
      return UsageError(command_, why);
    else if (o.takesValue)
      value = args[++i];
    return o.take(value, why) ? 0 : UsageError(command_, why);
  }
  for (const Reader& read : readers_)
    if (const int taken = read(args, i); taken >= 0) return taken;
  return -1;
}

int OptionParser::Parse(const Args& args, std::vector<std::string>& files) const {
  bool options = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // After "--" every argument is a file, so a name that starts with '-' can be given.
    if (options && a == "--") {
      options = false;
    } else if (!options || a.empty() || a[0] != '-') {
      files.push_back(a);
    } else if (const int status = TakeOption(args, i); status != 0) {
      return status > 0 ? status : UsageError(command_, "unknown option " + a);
    }
  }
  if (static_cast<int>(files.size()) < least_) return UsageError(command_, missing_);
  if (most_ >= 0 && static_cast<int>(files.size()) > most_) return UsageError(command_, tooMany_);
  return 0;
}

std::function<bool(const std::string& value)> WholeNumber(int& to, int least, int most) {
  return [&to, least, most](const std::string& v) {
    return TryStrToInt(v, to) && to >= least && to <= most;
  };
}

bool ParsePair(const std::string& text, char separator, int& a, int& b) {
  const auto at = text.find(separator, 1);
  return at != std::string::npos && TryStrToInt(text.substr(0, at), a) &&
         TryStrToInt(text.substr(at + 1), b);
}

}  // namespace tavlex::cli
